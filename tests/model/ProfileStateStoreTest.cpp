#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "families/FamilyData.h"
#include "platform/os/Utf.h"
#include "plugin/model/CParamModel.h"
#include "plugin/model/ProfileStateStore.h"
#include "plugin/model/RecordBytes.h"
#include "plugin/model/RecordText.h"
#include "tests/model/ModelFakes.h"

namespace {

namespace fs = std::filesystem;

// The struct form of a value: upper-case hex of the bytes and their sum mod 256.
template <class Record>
std::string StructText(const Record& record) {
    const auto bytes = RecordToBytes(record);
    std::string text;
    unsigned sum = 0;
    char hex[3];
    for (std::uint8_t byte : bytes) {
        std::snprintf(hex, sizeof hex, "%02X", byte);
        text += hex;
        sum += byte;
    }
    std::snprintf(hex, sizeof hex, "%02X", sum & 0xFF);
    return text + hex;
}

class ProfileStateStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("qv_model_state_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        file = (dir / "DorbIIConfigData.db").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    std::unique_ptr<CParamModel> Start() {
        store = std::make_unique<ProfileStateStore>(qv::os::Utf8ToUtf16(file));
        return std::make_unique<CParamModel>(DorbIIFamily(), port, store.get());
    }
    void WriteFile(const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

    fs::path dir;
    std::string file;
    FakeParamPort port;
    std::unique_ptr<ProfileStateStore> store;
};

TEST_F(ProfileStateStoreTest, EverythingSavedReadsBackAfterARestart) {
    auto model = Start();
    model->ApplyDeviceEffect(6);
    model->WriteParam(8009, 33);
    ASSERT_EQ(model->SaveCurrentAsPreset(u"温暖的", 3, 1), 1);
    ASSERT_EQ(model->SaveCustomEffect(u"用户", 1, 11), 1);
    EffectRecord cloud = DorbIIFamily().deviceEffects[2];
    cloud.id = 4242;
    SetFieldText(cloud.remark, u"remark");
    ASSERT_EQ(model->AddDownloadedEffect(cloud), 1);
    ASSERT_EQ(model->SaveCurrentEffect(), 1);
    const EffectRecord current = model->GetCurrentEffect();

    auto restarted = Start();
    EXPECT_EQ(std::memcmp(&restarted->GetCurrentEffect(), &current, sizeof current), 0);
    EXPECT_EQ(restarted->GetValue(9), 33);
    ASSERT_NE(restarted->FindCustomPreset(6, 3), nullptr);
    EXPECT_EQ(FieldText(restarted->FindCustomPreset(6, 3)->name), u"温暖的");
    EXPECT_EQ(FieldText(restarted->GetUserEffects()[11].name), u"用户");
    ASSERT_NE(restarted->GetDownloadedEffects().FindByCloudId(4242), nullptr);
    EXPECT_EQ(FieldText(restarted->GetDownloadedEffects().FindByCloudId(4242)->remark), u"remark");
}

TEST_F(ProfileStateStoreTest, CorruptShortAndMissingValuesReadAsAbsent) {
    GroupPreset preset{};
    SetFieldText(preset.name, u"p");
    preset.valueCount = 10;
    std::string corrupt = StructText(preset);
    corrupt[10] = corrupt[10] == 'A' ? 'B' : 'A';  // the checksum no longer matches
    EffectRecord last = DorbIIFamily().deviceEffects[5];
    std::string shortValue = StructText(last);
    shortValue.erase(0, 2);
    EffectRecord user = DorbIIFamily().deviceEffects[1];
    SetFieldText(user.name, u"good");
    WriteFile("[CustomPreset]\r\n1_0=" + corrupt + "\r\n1_1=" + StructText(preset) +
              "\r\n[LastStatus]\r\nCurrentEffect=" + shortValue +
              "\r\n[MyCustomEffect]\r\n0=" + StructText(user) + "\r\n1=zz\r\n" +
              "[DownloadEffect]\r\ncount=abc\r\n0=" + StructText(user) + "\r\n");

    auto model = Start();
    EXPECT_EQ(model->FindCustomPreset(7, 1), nullptr);
    ASSERT_NE(model->FindCustomPreset(8, 1), nullptr);
    EXPECT_EQ(FieldText(model->GetCurrentEffect().name), u"原声");
    EXPECT_EQ(FieldText(model->GetUserEffects()[0].name), u"good");
    EXPECT_EQ(model->GetUserEffects()[1].emptyFlag, 1);
    EXPECT_EQ(model->GetDownloadedEffects().GetCount(), 0);
}

TEST_F(ProfileStateStoreTest, ANewFileIsCreatedOnTheFirstSave) {
    auto model = Start();
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(model->SaveCurrentEffect(), 1);
    EXPECT_TRUE(fs::exists(file));
}

}  // namespace
