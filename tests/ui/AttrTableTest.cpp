#include <gtest/gtest.h>

#include "platform/ui/AttrTable.h"
#include "platform/ui/SHostWnd.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::ui {
namespace {

using test::UiAppTest;

// A control that declares its attributes as rows; its base answers the rest.
class TableKnob : public SWindow {
    QV_CLASS_NAME(TableKnob, SWindow, u"tableknob", kObjectWindow)
    QV_ATTRIBUTES(SWindow)

public:
    int m_steps = 10;
    bool m_round = false;
    COLORREF m_dot = 0;
    ISkinObj* m_face = nullptr;
    int m_angleSets = 0;

private:
    HRESULT SetAngleAttr(const SStringW& value, bool) {
        ++m_angleSets;
        return value == u"ok" ? S_OK : E_FAIL;
    }
};

std::span<const AttrRow> TableKnob::AttrRows() {
    static constexpr AttrRow kRows[] = {
        AttrMember<&TableKnob::m_steps, 1>(u"steps", AttrEffect::Relayout),
        AttrMember<&TableKnob::m_round>(u"round", AttrEffect::NoRepaint),
        AttrMember<&TableKnob::m_dot>(u"colorDot"),
        AttrMember<&TableKnob::m_face>(u"faceSkin"),
        AttrCall<&TableKnob::SetAngleAttr>(u"angle"),
        // A row of the base's name wins over the base.
        AttrMember<&TableKnob::m_steps, 1>(u"data", AttrEffect::NoRepaint),
    };
    return kRows;
}

TEST(AttrTableTest, RowsAnswerByTypeAndEffectBeforeTheBase) {
    TableKnob knob;
    struct Case {
        const char16_t* name;
        const char16_t* value;
        HRESULT expected;
    } cases[] = {
        {u"steps", u"4", S_OK},          {u"STEPS", u"0x10", S_OK},    {u"steps", u"0", E_FAIL},
        {u"Round", u"1", S_FALSE},       {u"round", u"", E_FAIL},      {u"colordot", u"#102030", S_OK},
        {u"colorDot", u"#12", E_FAIL},   {u"faceSkin", u"none", E_FAIL}, {u"angle", u"ok", S_OK},
        {u"angle", u"no", E_FAIL},       {u"data", u"7", S_FALSE},     {u"TEXT", u"hi", S_OK},
        {u"nothing", u"1", E_FAIL},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(knob.SetAttribute(c.name, c.value, false), c.expected) << SStringW(c.name).ToUtf8();
    }
    EXPECT_EQ(knob.m_steps, 7);
    EXPECT_TRUE(knob.m_round);
    EXPECT_EQ(knob.m_dot, RGBA(0x10, 0x20, 0x30, 0xFF));
    EXPECT_EQ(knob.m_face, nullptr);
    EXPECT_EQ(knob.m_angleSets, 2);
    EXPECT_EQ(knob.GetUserData(), 0u);  // "data" went to the row, not to the base
    EXPECT_EQ(knob.GetWindowText(), u"hi");
}

class AttrTableHostTest : public UiAppTest {};

TEST_F(AttrTableHostTest, RelayoutRowsLayTheHostOutAgain) {
    m_app->GetWindowFactory().RegisterClass<TableKnob>();
    SHostWnd host;
    ASSERT_NE(host.CreateFromXml(u"<SOUI size=\"200,100\"><root>"
                                 u"<tableknob name=\"k\" pos=\"0,0,@20,@20\" STEPS=\"3\"/>"
                                 u"<window name=\"after\" pos=\"[0,0,@10,@10\"/></root></SOUI>"),
              nullptr);
    auto* knob = host.FindChildByName2<TableKnob>(u"k");
    ASSERT_NE(knob, nullptr);
    EXPECT_EQ(knob->m_steps, 3);
    host.UpdateWindow();
    EXPECT_EQ(knob->SetAttribute(u"Pos", u"0,0,@50,@20", false), S_OK);
    host.UpdateWindow();
    EXPECT_EQ(host.FindChildByName(u"after")->GetWindowRect().left, 50);
    host.DestroyWindow();
}

}  // namespace
}  // namespace qv::ui
