// The catalogue's replies as the readers take them: the verdict, the message,
// which elements survive and how names fit their fields.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "families/FamilyData.h"
#include "platform/os/Log.h"
#include "plugin/cloud/CatalogueReply.h"
#include "plugin/model/RecordText.h"

namespace {

class CatalogueReplyTest : public ::testing::Test {
protected:
    void SetUp() override { qv::os::SetDebugOutputHook([](const char*) {}); }
    void TearDown() override { qv::os::SetDebugOutputHook(nullptr); }
};

TEST_F(CatalogueReplyTest, VerdictAndMessage) {
    struct Case {
        const char* reply;
        ReplyResult result;
        std::u16string message;
        std::size_t items;
    };
    const Case cases[] = {
        {R"({"message":"OK","data":[]})", ReplyResult::kAccepted, u"", 0},
        {R"({"message":"oK","data":[{"id":1,"soundName":"a"}]} /* comments are allowed */)", ReplyResult::kAccepted, u"", 1},
        {R"({"message":"服务器繁忙","data":[{"id":1,"soundName":"a"}]})", ReplyResult::kNotOk, u"服务器繁忙", 0},
        {R"({"message":"ok"})", ReplyResult::kAccepted, u"", 0},
        {R"({"message":"ok","data":null})", ReplyResult::kAccepted, u"", 0},
        {R"({"message":"ok","data":{"id":1}})", ReplyResult::kUnparsable, u"", 0},
        {R"({"message":7,"data":[]})", ReplyResult::kUnparsable, u"", 0},
        {R"(["message","ok"])", ReplyResult::kUnparsable, u"", 0},
        {R"({"message":"ok","data":[)", ReplyResult::kUnparsable, u"", 0},
        {R"({"message":"ok","data":[7,null,{"id":"2","soundName":"b"},{"id":3},{"id":4,"soundName":"d"}]})",
         ReplyResult::kAccepted, u"", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        std::vector<CloudEffectItem> items;
        std::u16string message;
        EXPECT_EQ(ReadEffectList(c.reply, items, message), c.result);
        EXPECT_EQ(message, c.message);
        EXPECT_EQ(items.size(), c.items);
    }
}

TEST_F(CatalogueReplyTest, DeepNestingIsUnparsableNotAnException) {
    const std::string deep = std::string(5000, '[') + std::string(5000, ']');
    std::vector<CloudCategory> out;
    std::u16string message;
    EXPECT_EQ(ReadCategories(deep, out, message), ReplyResult::kUnparsable);
}

TEST_F(CatalogueReplyTest, AFullBufferIsReadByItsLength) {
    std::string reply = R"({"message":"ok","data":[{"id":9,"categoryName":"满"}]})";
    reply.resize(102400, ' ');
    // No terminator after the reply: the reader stays inside it.
    auto exact = std::make_unique<char[]>(reply.size());
    std::memcpy(exact.get(), reply.data(), reply.size());
    std::vector<CloudCategory> out;
    std::u16string message;
    ASSERT_EQ(ReadCategories(std::string_view(exact.get(), reply.size()), out, message), ReplyResult::kAccepted);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].id, 9);
}

TEST_F(CatalogueReplyTest, NamesFitTheirFields) {
    std::vector<CloudCategory> categories;
    std::vector<CloudEffectItem> effects;
    std::vector<SoundItem> sounds;
    std::u16string message;
    std::string longName;
    for (int i = 0; i < 30; ++i) longName += "长";  // 90 bytes
    ASSERT_EQ(ReadCategories(R"({"message":"ok","data":[{"id":1,"categoryName":")" + longName + R"("}]})", categories, message),
              ReplyResult::kAccepted);
    EXPECT_EQ(std::string(CategoryName(categories[0])), longName.substr(0, 63));  // 21 whole characters

    ASSERT_EQ(ReadEffectList(R"({"message":"ok","data":[{"id":1,"soundName":"R&B"},{"id":2,"soundName":")" +
                                 std::string(40, '&') + R"("},{"id":3,"soundName":"x\ud83c\udfb5)" + std::string(61, 'y') +
                                 R"("}]})",
                             effects, message),
              ReplyResult::kAccepted);
    EXPECT_EQ(FieldText(effects[0].name), u"R&&B");
    EXPECT_EQ(FieldText(effects[1].name), std::u16string(62, u'&'));  // no lone '&' at the cut
    EXPECT_EQ(FieldText(effects[2].name).size(), 63u);

    ASSERT_EQ(ReadCategorySounds(R"({"message":"ok","data":[{"id":5,"name":"一二三四五六七八九","url":"http://h/a.mp3"},)"
                                 R"({"id":6,"name":"abcdef\ud83c\udfb5","url":"HTTPS://h/b.mp3"},)"
                                 R"({"id":7,"name":"f","url":"file:///etc/passwd"},)"
                                 R"({"id":8,"name":"l","url":"http://h/)" + std::string(260, 'a') + R"("},)"
                                 R"({"id":9,"name":"n","url":"a.mp3"}]})",
                                 sounds, message),
              ReplyResult::kAccepted);
    ASSERT_EQ(sounds.size(), 2u);
    EXPECT_EQ(FieldText(sounds[0].name), u"一二三四五六七");
    EXPECT_EQ(FieldText(sounds[1].name), u"abcdef");  // the pair does not fit whole
    EXPECT_EQ(sounds[1].kind, kSoundCloud);
    EXPECT_EQ(sounds[1].cloudId, 6);
    EXPECT_EQ(FieldText(sounds[1].path), u"HTTPS://h/b.mp3");
}

TEST_F(CatalogueReplyTest, DetailValuesGoToTheirSlotsOrRefuseTheEffect) {
    const FamilyData& family = DorbIIFamily();
    const std::int32_t max3 = family.descriptors[3].maximum;
    ASSERT_GT(max3, 1);
    const std::string groups = R"("groupList":[null,{"paramList":[{"paramNo":3,"paramValue":1},{"paramNo":64,"paramValue":1},)"
                               R"({"paramNo":-1,"paramValue":1},{"paramNo":"5","paramValue":1}]},7,)"
                               R"({"paramList":[{"paramNo":3,"paramValue":)" + std::to_string(max3) + R"(}]}])";
    EffectRecord record{};
    std::u16string message;
    ASSERT_EQ(ReadEffectDetail(R"({"message":"ok","data":{"id":42,"soundName":"A&B","remark":"r","nickname":7,)" + groups + "}}",
                               family.descriptors, record, message),
              ReplyResult::kAccepted);
    EXPECT_EQ(record.id, 42);
    EXPECT_EQ(record.values[3], max3);  // the later group wins
    EXPECT_EQ(record.values[5], 0);
    EXPECT_EQ(FieldText(record.name), u"A&&B");
    EXPECT_EQ(FieldText(record.remark), u"r");
    EXPECT_EQ(FieldText(record.nickname), u"");

    EffectRecord untouched{};
    untouched.id = 77;
    for (const std::string& value : {std::to_string(max3 + 1), std::string("-1")}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(ReadEffectDetail(R"({"message":"ok","data":{"id":43,"groupList":[{"paramList":[{"paramNo":3,"paramValue":)" +
                                       value + "}]}]}}",
                                   family.descriptors, untouched, message),
                  ReplyResult::kRefused);
        EXPECT_EQ(untouched.id, 77);
    }
    // A detail without an object under "data" is no effect at all.
    for (const char* reply : {R"({"message":"ok","data":[]})", R"({"message":"ok","data":null})", R"({"message":"ok"})"}) {
        SCOPED_TRACE(reply);
        EXPECT_EQ(ReadEffectDetail(reply, family.descriptors, untouched, message), ReplyResult::kUnparsable);
        EXPECT_EQ(untouched.id, 77);
    }
    EXPECT_EQ(ReadEffectDetail(R"({"message":"ok","data":{"soundName":"no id"}})", family.descriptors, record, message),
              ReplyResult::kUnparsable);
}

}  // namespace
