#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "families/FamilyData.h"
#include "plugin/model/CParamBinding.h"
#include "plugin/model/ControlId.h"
#include "plugin/model/RecordText.h"

namespace {

using namespace qv::binder;

const ParamDescriptor& Descriptor(int id) {
    return DorbIIFamily().descriptors[static_cast<std::size_t>(id)];
}

CParamBinding BindingOf(int id, int controlId, int kind = -1) {
    return MakeBinding(Descriptor(id), id, controlId, 0, kind);
}

CParamBinding CustomBinding(float scale, int offset, int minimum, int maximum,
                            std::u16string_view format) {
    CParamBinding binding;
    binding.kind = kBindValueBox;
    binding.scale = scale;
    binding.displayOffset = offset;
    binding.minimum = minimum;
    binding.maximum = maximum;
    SetFieldText(binding.format, format);
    binding.numberType = NumberTypeOf(format);
    return binding;
}

TEST(NumberTypeOf, FindsTheFirstIntegerOrFloatConversion) {
    EXPECT_EQ(NumberTypeOf(u"%d"), kNumberInt);
    EXPECT_EQ(NumberTypeOf(u"%3d ms"), kNumberInt);
    EXPECT_EQ(NumberTypeOf(u"%.1f"), kNumberFloat);
    EXPECT_EQ(NumberTypeOf(u"%s then %5.2f"), kNumberFloat);
    EXPECT_EQ(NumberTypeOf(u"%x"), kNumberInvalid);
    EXPECT_EQ(NumberTypeOf(u"dB"), kNumberInvalid);
    EXPECT_EQ(NumberTypeOf(u"%"), kNumberInvalid);
    EXPECT_EQ(NumberTypeOf(u""), kNumberInvalid);
}

TEST(MakeBinding, TakesRangeScaleAndTextsFromTheDescriptor) {
    const CParamBinding knob = MakeBinding(Descriptor(9), 9, KnobControlId(9), ValueBoxControlId(9), -1);
    EXPECT_EQ(knob.kind, kBindProgress);
    EXPECT_EQ(knob.maximum, 90);
    EXPECT_EQ(knob.displayOffset, -90);
    EXPECT_EQ(knob.initialValue, 80);
    EXPECT_EQ(knob.linkedControlId, 6009);
    EXPECT_EQ(knob.numberType, kNumberInt);
    const CParamBinding box = MakeBinding(Descriptor(9), 9, ValueBoxControlId(9), KnobControlId(9), kBindValueBox);
    EXPECT_EQ(box.kind, kBindValueBox);

    const CParamBinding option = BindingOf(19, OptionControlId(3, 19));
    const auto items = SplitItemTexts(option);
    ASSERT_EQ(items.size(), 12u);
    EXPECT_EQ(items[3], u"Eb");
    EXPECT_EQ(items[11], u"B");
    EXPECT_TRUE(SplitItemTexts(BindingOf(0, KnobControlId(0))).empty());
}

TEST(MakeBinding, RefusesAParameterOutsideTheList) {
    const auto descriptors = DorbIIFamily().descriptors;
    EXPECT_TRUE(MakeBinding(descriptors, 44, SwitchControlId(44), 0, -1));
    EXPECT_FALSE(MakeBinding(descriptors, 45, KnobControlId(45), 0, -1));
    EXPECT_FALSE(MakeBinding(descriptors, -1, KnobControlId(0), 0, -1));
}

TEST(FormatValue, NoiseLevelBoxClampsAndShowsTheOffsetValue) {
    const CParamBinding box = BindingOf(9, ValueBoxControlId(9), kBindValueBox);
    FormattedValue typed = FormatValue(ParseDisplayValue(u"100"), box);
    EXPECT_EQ(typed.raw, 90);
    EXPECT_EQ(typed.text, u"0");
    typed = FormatValue(ParseDisplayValue(u"-45"), box);
    EXPECT_EQ(typed.raw, 45);
    EXPECT_EQ(typed.text, u"-45");
    typed = FormatValue(ParseDisplayValue(u"not a number"), box);
    EXPECT_EQ(typed.raw, 90);  // reads as 0, which is raw 90
}

TEST(FormatValue, EqBandShowsRawMinusTwelve) {
    const CParamBinding box = BindingOf(25, ValueBoxControlId(25), kBindValueBox);
    EXPECT_EQ(FormatRawValue(0, box).text, u"-12");
    EXPECT_EQ(FormatRawValue(24, box).text, u"12");
    EXPECT_EQ(FormatValue(3.9, box).raw, 15);  // truncated toward zero
    EXPECT_EQ(FormatValue(-3.9, box).raw, 8);
}

TEST(FormatValue, ScaledReverbTimeTruncatesToRawUnits) {
    const CParamBinding box = BindingOf(20, ValueBoxControlId(20), kBindValueBox);
    EXPECT_EQ(FormatValue(1500, box).raw, 15);
    EXPECT_EQ(FormatValue(1599, box).raw, 15);
    EXPECT_EQ(FormatValue(1599, box).text, u"1500");
    EXPECT_EQ(FormatRawValue(60, box).text, u"6000");
}

TEST(FormatValue, SaturatesAtBothEndsAndTakesNaNAsTheMinimum) {
    const CParamBinding wide =
        CustomBinding(1.0f, 0, std::numeric_limits<std::int32_t>::min(),
                      std::numeric_limits<std::int32_t>::max(), u"%d");
    EXPECT_EQ(FormatValue(1e30, wide).raw, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(FormatValue(-1e30, wide).raw, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(FormatValue(std::numeric_limits<double>::infinity(), wide).raw,
              std::numeric_limits<std::int32_t>::max());
    const CParamBinding range = CustomBinding(1.0f, 0, 5, 10, u"%d");
    EXPECT_EQ(FormatValue(std::nan(""), range).raw, 5);
    EXPECT_EQ(FormatValue(std::nan(""), wide).raw, std::numeric_limits<std::int32_t>::min());
    const CParamBinding noScale = CustomBinding(0.0f, 0, 2, 10, u"%d");
    EXPECT_EQ(FormatValue(0, noScale).raw, 2);  // 0 / 0
    EXPECT_EQ(FormatValue(7, noScale).raw, 10);
}

TEST(FormatValue, FloatFormatsAndFormatsWithoutAConversion) {
    const CParamBinding tenths = CustomBinding(0.1f, 0, 0, 100, u"%.1f dB");
    EXPECT_EQ(FormatValue(2.5, tenths).raw, 25);
    EXPECT_EQ(FormatValue(2.5, tenths).text, u"2.5 dB");
    const CParamBinding percent = CustomBinding(1.0f, 0, 0, 100, u"%d%%");
    EXPECT_EQ(FormatValue(40, percent).text, u"40%");
    const CParamBinding invalid = CustomBinding(1.0f, 0, 0, 100, u"%s");
    EXPECT_EQ(FormatValue(40, invalid).raw, 40);
    EXPECT_EQ(FormatValue(40, invalid).text, u"无效的参数转换符");
    const CParamBinding twoConversions = CustomBinding(1.0f, 0, 0, 100, u"%d %s %d");
    EXPECT_EQ(FormatValue(7, twoConversions).text, u"7 %s %d");
}

TEST(ParseDisplayValue, ReadsTheLeadingNumber) {
    EXPECT_EQ(ParseDisplayValue(u"12"), 12.0);
    EXPECT_EQ(ParseDisplayValue(u"  -3.5 dB"), -3.5);
    EXPECT_EQ(ParseDisplayValue(u"+7"), 7.0);
    EXPECT_EQ(ParseDisplayValue(u"abc"), 0.0);
    EXPECT_EQ(ParseDisplayValue(u""), 0.0);
    EXPECT_EQ(ParseDisplayValue(u"8中"), 8.0);
}

TEST(SteppedDisplayValue, OneStepPerDeltaForEveryScale) {
    const CParamBinding band = BindingOf(25, ValueBoxControlId(25), kBindValueBox);
    EXPECT_EQ(SteppedDisplayValue(u"-3", 1, band), -2.0);
    EXPECT_EQ(SteppedDisplayValue(u"-3", -1, band), -4.0);

    const CParamBinding reverb = BindingOf(20, ValueBoxControlId(20), kBindValueBox);
    EXPECT_EQ(FormatValue(SteppedDisplayValue(u"1500", 1, reverb), reverb).raw, 16);
    EXPECT_EQ(FormatValue(SteppedDisplayValue(u"1500", -1, reverb), reverb).raw, 14);
    EXPECT_EQ(FormatValue(SteppedDisplayValue(u"1550", 1, reverb), reverb).raw, 16);
    EXPECT_EQ(FormatValue(SteppedDisplayValue(u"6000", 1, reverb), reverb).raw, 60);
    EXPECT_EQ(FormatValue(SteppedDisplayValue(u"0", -1, reverb), reverb).raw, 0);

    const CParamBinding tenths = CustomBinding(0.1f, 0, 0, 100, u"%.1f");
    EXPECT_EQ(SteppedDisplayValue(u"2.5", 1, tenths), 12.5);
}

TEST(ControlStateFor, EachKindShowsTheValueItsWay) {
    using Action = ControlState::Action;
    const std::u16string text = u"t";
    CParamBinding binding = BindingOf(16, KnobControlId(16));
    for (int kind : {kBindProgress, kBindProgress2}) {
        binding.kind = kind;
        const ControlState state = ControlStateFor(binding, 42, text);
        EXPECT_EQ(state.action, Action::kPosition);
        EXPECT_EQ(state.value, 42);
    }
    binding.kind = kBindCombo;
    EXPECT_EQ(ControlStateFor(binding, 3, text).action, Action::kSelection);
    EXPECT_EQ(ControlStateFor(binding, 3, text).value, 3);
    for (int kind : {kBindCheck, kBindSwitch}) {
        binding.kind = kind;
        EXPECT_EQ(ControlStateFor(binding, 5, text).action, Action::kCheck);
        EXPECT_EQ(ControlStateFor(binding, 5, text).value, 1);
        EXPECT_EQ(ControlStateFor(binding, 0, text).value, 0);
    }
    for (int kind : {kBindText, kBindValueBox}) {
        binding.kind = kind;
        EXPECT_EQ(ControlStateFor(binding, 5, text).action, Action::kText);
        EXPECT_EQ(ControlStateFor(binding, 5, text).text, u"t");
    }
    for (int kind : {kBindCommand, kBindNone}) {
        binding.kind = kind;
        EXPECT_EQ(ControlStateFor(binding, 5, text).action, Action::kNone);
    }
    const CParamBinding option = BindingOf(19, OptionControlId(0, 19));
    EXPECT_EQ(ControlStateFor(option, 5, text).action, Action::kCheckOption);
    EXPECT_EQ(ControlStateFor(option, 5, text).optionControlId, 605019);
    EXPECT_EQ(ControlStateFor(option, 4095, text).optionControlId, 0);
}

TEST(ValueFromClick, SwitchesOptionsAndCommands) {
    CParamBinding binding = BindingOf(5, SwitchControlId(5));
    EXPECT_EQ(ValueFromClick(binding, true), 1);
    EXPECT_EQ(ValueFromClick(binding, false), 0);
    EXPECT_EQ(ValueFromClick(BindingOf(19, 605019), false), 5);
    binding.kind = kBindCommand;
    EXPECT_EQ(ValueFromClick(binding, true), 0);
    for (int kind : {kBindProgress, kBindCombo, kBindText, kBindNone, kBindValueBox}) {
        binding.kind = kind;
        EXPECT_FALSE(ValueFromClick(binding, true)) << kind;
    }
}

TEST(ControlId, KindsAreMultiplesOfAThousand) {
    EXPECT_EQ(ParamIdOfControl(KnobControlId(44)), 44);
    EXPECT_EQ(ParamIdOfControl(BandSliderControlId(25)), 25);
    EXPECT_EQ(ParamIdOfControl(ValueBoxControlId(9)), 9);
    EXPECT_EQ(ParamIdOfControl(605019), 19);
    EXPECT_EQ(OptionNumberOf(OptionControlId(11, 19)), 11);
    EXPECT_EQ(OptionControlForValue(600018, 1), 601018);
}

TEST(TextForLinked, AKnobFormatsForItsValueBoxAndABoxPassesItsText) {
    const CParamBinding knob = MakeBinding(Descriptor(25), 25, BandSliderControlId(25), ValueBoxControlId(25), -1);
    const CParamBinding box = MakeBinding(Descriptor(25), 25, ValueBoxControlId(25), BandSliderControlId(25), kBindValueBox);
    EXPECT_EQ(TextForLinked(knob, box, 20, u"ignored"), u"8");
    EXPECT_EQ(TextForLinked(box, knob, 20, u"8"), u"8");
}

}  // namespace
