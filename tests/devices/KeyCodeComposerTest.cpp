#include "devices/keyboard/KeyCodeComposer.h"
#include "devices/keyboard/KeyTables.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace quaro {
namespace {

constexpr KeyCode kFnDefault{0xA0, 0x01, 0x00};
constexpr int kMacros = 3;

KeyCodeComposer ComposerFor(KeyCode current, KeyCode fallback = kFnDefault) {
    KeyCodeComposer composer;
    composer.SetMacroCount(kMacros);
    composer.LoadKey(KeyAssignmentEntry{7, current, 7, fallback});
    return composer;
}

TEST(KeyCodeComposer, WorkedExamples) {
    KeyCodeComposer composer = ComposerFor(kFnDefault);

    KeySetChoices wheel;
    wheel.tab = keyset_tab::kMouseWheel;
    wheel.wheelDirection = 1;
    wheel.wheelCount = 3;
    const KeyCode wheelDown = composer.ComposeCode(wheel);
    EXPECT_EQ(wheelDown.type, 0x12);
    EXPECT_EQ(wheelDown.second, 0xFD);
    const KeySetChoices shownWheel = composer.ShowCode(wheelDown);
    EXPECT_EQ(shownWheel.tab, keyset_tab::kMouseWheel);
    EXPECT_EQ(shownWheel.wheelCount, 3);
    EXPECT_EQ(shownWheel.wheelDirection, 1);

    KeySetChoices swing;
    swing.tab = keyset_tab::kMouseSwing;
    swing.swingDelay = 20;
    swing.swingSpeed = 5;
    EXPECT_EQ(composer.ComposeCode(swing).first, 0x45);
    EXPECT_EQ(composer.ShowCode(composer.Current()).swingDelay, 4);

    KeySetChoices keys = composer.ShowCode(KeyCode{0x20, 0x00, 0x00});
    keys.modifierOption = keyset_modifier::kCtrl;
    ASSERT_TRUE(composer.CaptureKey(8, keys));  // A
    EXPECT_EQ(keys.keyCaption, "keyboard_key_A");
    EXPECT_EQ(composer.ComposeCode(keys), (KeyCode{0x20, 0x01, 0x04}));
    ASSERT_TRUE(composer.CaptureKey(1, keys));  // LShift
    EXPECT_EQ(keys.modifierOption, keyset_modifier::kShift);
    EXPECT_EQ(composer.ComposeCode(keys), (KeyCode{0x20, 0x02, 0x04}));
}

TEST(KeyCodeComposer, KeyboardCodesShowTheirOptionCaptionAndTab) {
    KeyCodeComposer composer = ComposerFor(kFnDefault);

    // A combination chosen on its own tab comes back as Ctrl plus the key.
    KeySetChoices combination;
    combination.tab = keyset_tab::kCombination;
    combination.combinationRow = 8;
    ASSERT_EQ(composer.ComposeCode(combination), (KeyCode{0x20, 0x01, 0x04}));
    KeySetChoices shown = composer.ShowCode(composer.Current());
    EXPECT_EQ(shown.tab, keyset_tab::kKeyboard);
    EXPECT_EQ(shown.modifierOption, keyset_modifier::kCtrl);
    EXPECT_EQ(shown.keyCaption, "keyboard_key_A");

    shown = composer.ShowCode(KeyCode{0x20, 0x81, 0x04});
    EXPECT_EQ(shown.tab, keyset_tab::kCombination);
    EXPECT_EQ(shown.combinationRow, kNoRow);

    // RAlt and RWin stand for the Alt and Win options.
    EXPECT_EQ(composer.ShowCode(KeyCode{0x20, 0x40, 0x04}).modifierOption, keyset_modifier::kAlt);
    EXPECT_EQ(composer.ShowCode(KeyCode{0x20, 0x80, 0x04}).modifierOption, keyset_modifier::kWin);

    // A set of several modifiers has no option: shown as none, and the modifiers are dropped.
    shown = composer.ShowCode(KeyCode{0x20, 0x03, 0x04});
    EXPECT_EQ(shown.modifierOption, keyset_modifier::kNone);
    EXPECT_EQ(composer.Current(), (KeyCode{0x20, 0x00, 0x04}));
    EXPECT_EQ(composer.ComposeCode(shown), (KeyCode{0x20, 0x00, 0x04}));

    // A usage no key row names cannot be shown and is cleared.
    shown = composer.ShowCode(KeyCode{0x20, 0x00, 0x03});
    EXPECT_EQ(shown.modifierOption, keyset_modifier::kNoModifierOption);
    EXPECT_TRUE(shown.keyCaption.empty());
    EXPECT_EQ(composer.Current(), (KeyCode{0x20, 0x00, 0x00}));

    // Choosing the keyboard family starts from an empty key.
    composer.ShowCode(KeyCode{0x70, 0x01, 0x00});
    KeySetChoices fresh;
    fresh.tab = keyset_tab::kKeyboard;
    EXPECT_EQ(composer.ComposeCode(fresh), (KeyCode{0x20, 0x00, 0x00}));
}

TEST(KeyCodeComposer, CaptureIgnoresKeysThePanelCannotAssign) {
    KeyCodeComposer composer = ComposerFor(kFnDefault);
    KeySetChoices choices = composer.ShowCode(KeyCode{0x20, 0x00, 0x04});
    const KeyCode before = composer.Current();
    for (const int row : {-1, 113, 140, 1000}) {
        EXPECT_FALSE(composer.CaptureKey(row, choices)) << row;
    }
    EXPECT_EQ(composer.Current(), before);
    EXPECT_EQ(choices.keyCaption, "keyboard_key_A");

    // With no box checked a captured key takes option "none".
    choices.modifierOption = keyset_modifier::kNoModifierOption;
    ASSERT_TRUE(composer.CaptureKey(9, choices));  // B
    EXPECT_EQ(choices.modifierOption, keyset_modifier::kNone);
    EXPECT_EQ(composer.ComposeCode(choices), (KeyCode{0x20, 0x00, 0x05}));
}

TEST(KeyCodeComposer, MacroCodesFollowTheLibrary) {
    KeyCodeComposer composer = ComposerFor(kFnDefault);
    KeySetChoices shown = composer.ShowCode(KeyCode{0x71, 0x02, 0x09});
    EXPECT_EQ(shown.macroRow, 2);
    EXPECT_EQ(shown.playModeRow, kMacroRepeatPlayMode);
    EXPECT_TRUE(shown.repeatAreaVisible);
    EXPECT_EQ(shown.repeatCount, 9);

    // Macro 3 of a library of three was deleted: nothing is selected and nothing is stored.
    for (const KeyCode gone : {KeyCode{0x70, 0x03, 0x01}, KeyCode{0x71, 0x03, 0x05}}) {
        shown = composer.ShowCode(gone);
        EXPECT_EQ(shown.tab, keyset_tab::kMacro);
        EXPECT_EQ(shown.macroRow, kNoRow);
        EXPECT_EQ(shown.playModeRow, kNoRow);
        EXPECT_FALSE(shown.repeatAreaVisible);
        EXPECT_EQ(composer.ComposeCode(shown), gone);
    }

    KeySetChoices noMode;
    noMode.tab = keyset_tab::kMacro;
    noMode.macroRow = 1;
    EXPECT_EQ(composer.ComposeCode(noMode), (KeyCode{0x70, 0x01, 0x00}));
    composer.SetMacroCount(0);
    EXPECT_EQ(composer.ComposeCode(noMode), (KeyCode{0x70, 0x01, 0x00}));
    noMode.macroRow = 0;
    EXPECT_EQ(composer.ComposeCode(noMode), (KeyCode{0x70, 0x01, 0x00}));
}

TEST(KeyCodeComposer, OutOfRangeChoicesNeverStoreAStrayCode) {
    KeyCodeComposer composer = ComposerFor(KeyCode{0x10, 0x02, 0x00});
    const KeyCode loaded{0x10, 0x02, 0x00};
    for (const int tab : {keyset_tab::kMouseButton, keyset_tab::kDpiFunction, keyset_tab::kMedia,
                          keyset_tab::kSystem, keyset_tab::kGunKey, keyset_tab::kCombination}) {
        KeySetChoices choices;
        choices.tab = tab;
        choices.mouseButtonRow = choices.dpiRow = choices.mediaRow = choices.systemRow = 99;
        choices.combinationRow = 99;
        choices.gunKeyRow = 300;
        EXPECT_EQ(composer.ComposeCode(choices), loaded) << tab;
    }

    KeySetChoices fire;
    fire.tab = keyset_tab::kFireKey;
    fire.fireInterval = 300;
    fire.fireShots = -4;
    EXPECT_EQ(composer.ComposeCode(fire), (KeyCode{0x14, 0xFF, 0x00}));

    KeySetChoices wheel;
    wheel.tab = keyset_tab::kMouseWheel;
    wheel.wheelDirection = 1;
    wheel.wheelCount = 130;
    wheel.wheelDelay = -1;
    EXPECT_EQ(composer.ComposeCode(wheel), (KeyCode{0x12, 0x00, 0xFE}));

    // A tab the panel does not know falls back to the key's default.
    KeySetChoices unknownTab;
    unknownTab.tab = 12;
    EXPECT_EQ(composer.ComposeCode(unknownTab), kFnDefault);

    EXPECT_EQ(composer.ShowDefault().tab, keyset_tab::kDefault);
    EXPECT_EQ(composer.Current(), kFnDefault);
    EXPECT_EQ(composer.ShowLoaded().mouseButtonRow, 2);
    EXPECT_EQ(composer.Current(), loaded);
}

// Every code the panel can show comes back unchanged from its own choices.
TEST(KeyCodeComposer, EveryFamilyRoundTripsOverItsWholeRange) {
    const auto everyByte = [](std::uint8_t type) {
        std::vector<KeyCode> codes;
        for (int first = 0; first < 256; ++first) {
            for (int second = 0; second < 256; ++second) {
                codes.push_back(
                    {type, static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(second)});
            }
        }
        return codes;
    };
    const auto rows = [](const auto& table) {
        std::vector<KeyCode> codes;
        for (const auto& row : table) {
            codes.push_back(row.code);
        }
        return codes;
    };
    const auto keyboard = [] {
        std::vector<KeyCode> codes;
        for (int row = 0; row < 113; ++row) {
            codes.push_back(kKeyNameTable[static_cast<std::size_t>(row)].code);
        }
        for (const std::uint8_t modifier : {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}) {
            for (int row = 8; row < 113; ++row) {
                codes.push_back(
                    {0x20, modifier, kKeyNameTable[static_cast<std::size_t>(row)].code.second});
            }
        }
        for (int first = 129; first < 256; ++first) {
            codes.push_back({0x20, static_cast<std::uint8_t>(first), 0x04});
        }
        codes.push_back({0x20, 0x00, 0x00});
        for (const KeyCode combination : kCombinationChoices) {
            codes.push_back(combination);
        }
        return codes;
    };
    const auto macros = [] {
        std::vector<KeyCode> codes;
        for (int macro = 0; macro < kMacros; ++macro) {
            const auto number = static_cast<std::uint8_t>(macro);
            for (int mode = 0; mode < kMacroRepeatPlayMode; ++mode) {
                codes.push_back({0x70, number, static_cast<std::uint8_t>(mode)});
            }
            for (int count = 0; count < 256; ++count) {
                codes.push_back({0x71, number, static_cast<std::uint8_t>(count)});
            }
        }
        return codes;
    };

    struct Family {
        std::string name;
        int tab;
        std::vector<KeyCode> codes;
    };
    const std::vector<Family> families = {
        {"mouse button", keyset_tab::kMouseButton, rows(kMouseButtonChoices)},
        {"swing", keyset_tab::kMouseSwing, everyByte(0x11)},
        {"wheel", keyset_tab::kMouseWheel, everyByte(0x12)},
        {"dpi", keyset_tab::kDpiFunction, rows(kDpiChoices)},
        {"fire", keyset_tab::kFireKey, everyByte(0x14)},
        {"keyboard", keyset_tab::kKeyboard, keyboard()},
        {"media", keyset_tab::kMedia, rows(kMediaChoices)},
        {"system", keyset_tab::kSystem, rows(kSystemChoices)},
        {"macro", keyset_tab::kMacro, macros()},
        {"gun key",
         keyset_tab::kGunKey,
         {{0x72, 0x00, 0x00}, {0x72, 0x07, 0x00}, {0x72, 0xFF, 0x00}}},
        {"no function", keyset_tab::kCombination, {{0xB0, 0x00, 0x00}}},
    };

    KeyCodeComposer composer = ComposerFor(kFnDefault);
    for (const Family& family : families) {
        int failures = 0;
        for (const KeyCode code : family.codes) {
            const KeySetChoices choices = composer.ShowCode(code);
            const bool combinationSet = code.type == 0x20 && code.first >= 129;
            const int expectedTab = combinationSet ? keyset_tab::kCombination : family.tab;
            if (choices.tab != expectedTab || composer.ComposeCode(choices) != code) {
                ADD_FAILURE() << family.name << ": " << int{code.type} << " " << int{code.first}
                              << " " << int{code.second};
                if (++failures > 5) {
                    break;
                }
            }
        }
    }

    // The key's own default shows as the default tab and composes back to it.
    for (const KeyCode fallback : kDefaultKeyTable) {
        KeyCodeComposer own = ComposerFor(fallback, fallback);
        EXPECT_EQ(own.ShowCode(fallback).tab, keyset_tab::kDefault);
        EXPECT_EQ(own.ComposeCode(own.ShowCode(fallback)), fallback);
    }
}

TEST(KeyCodeComposer, EditsAndOfferedTabs) {
    EXPECT_EQ(ParseKeySetEdit("20"), 20);
    EXPECT_EQ(ParseKeySetEdit("  7x"), 7);
    EXPECT_EQ(ParseKeySetEdit("-3"), -3);
    EXPECT_EQ(ParseKeySetEdit("abc"), 0);
    EXPECT_EQ(ParseKeySetEdit("99999999999999"), 0);

    for (int tab = 0; tab <= keyset_tab::kCombination; ++tab) {
        EXPECT_TRUE(IsKeySetTabOffered(tab, kKeySetMouseKind)) << tab;
        const bool hidden = tab == keyset_tab::kDpiFunction || tab == keyset_tab::kGunKey;
        EXPECT_EQ(IsKeySetTabOffered(tab, kKeySetKeyboardKind), !hidden) << tab;
    }
    EXPECT_FALSE(IsKeySetTabOffered(12, kKeySetMouseKind));
    EXPECT_FALSE(IsKeySetTabOffered(-1, kKeySetKeyboardKind));
}

}  // namespace
}  // namespace quaro
