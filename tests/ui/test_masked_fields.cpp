// Masked numeric and date fields, driven as the user drives them: focus, keystrokes, Tab.
#include <QLineEdit>
#include <QTest>
#include <algorithm>

#include "core/date.h"
#include "tests/support/comma_locale.h"
#include "tests/support/ui_test_support.h"

namespace {

using vm::FormValue;

QLineEdit* edit(const char* name) {
    return qobject_cast<QLineEdit*>(vm::ControlWidget("wtest", name));
}

std::string shown(const char* name) {
    return edit(name)->text().toStdString();
}

class MaskedFieldTest : public UiTest {
protected:
    // Three numeric fields, a date field and a last field to move the focus to; every lost-focus
    // callback records the field's text and value at the moment it runs.
    void defineFields() {
        auto record = [this](const char* name) {
            return [this, name] { m_lostFocus.push_back(std::string(name) + "=" + shown(name)); };
        };
        vm::DefineMaskedTextBox({.name = "nMetros",
                                 .col = 10,
                                 .row = 10,
                                 .mask = "999.99",
                                 .width = 80,
                                 .onLostFocus = record("nMetros")});
        vm::DefineMaskedTextBox(
            {.name = "nFilas", .col = 10, .row = 40, .mask = "999", .width = 80});
        vm::DefineMaskedTextBox(
            {.name = "nPixels", .col = 10, .row = 70, .mask = "9999", .width = 80});
        vm::DefineCharMaskTextBox({.name = "cData",
                                   .col = 10,
                                   .row = 100,
                                   .mask = "ignored",
                                   .width = 80,
                                   .onLostFocus = record("cData"),
                                   .date = true});
        vm::DefineTextBox({.name = "cOutro", .col = 10, .row = 130});
    }

    std::vector<std::string> m_lostFocus;
};

TEST_F(MaskedFieldTest, WrittenNumbersShowInTheDisplayFormatAndReadBackRounded) {
    struct Case {
        const char* field;
        double value;
        const char* display;
        double readBack;
    };
    const Case cases[] = {
        {"nMetros", 1.875, "   1.88", 1.88},
        {"nMetros", 10, "  10.00", 10},
        {"nMetros", 0, "   0.00", 0},
        {"nMetros", 999.99, " 999.99", 999.99},
        {"nMetros", 1000, " ***.**", 0},
        {"nMetros", -5, "  -5.00", -5},
        {"nFilas", 7, "   7", 7},
        {"nFilas", 999, " 999", 999},
        {"nFilas", 1000, " ***", 0},
        {"nPixels", 1280, " 1280", 1280},
    };
    runInMainForm([this] { defineFields(); },
                  [&] {
                      ASSERT_TRUE(focusControl("wtest", "cOutro"));
                      auto check = [&] {
                          for (const Case& c : cases) {
                              SCOPED_TRACE(std::string(c.field) + " <- " + std::to_string(c.value));
                              vm::SetProperty("wtest", c.field, "value", 321);  // another value
                              vm::SetProperty("wtest", c.field, "value", c.value);
                              EXPECT_EQ(shown(c.field), c.display);
                              EXPECT_EQ(vm::GetProperty("wtest", c.field, "value"),
                                        FormValue(c.readBack));
                          }
                      };
                      check();
                      // The same on a desktop whose decimal mark is ",".
                      vm::testing::CommaLocale brazil;
                      ASSERT_TRUE(brazil.active());
                      check();
                  });
}

TEST_F(MaskedFieldTest, FocusBlanksAZeroIntegerPartAndSelectsEverything) {
    runInMainForm([this] { defineFields(); },
                  [&] {
                      vm::SetProperty("wtest", "nMetros", "value", 0);
                      vm::SetProperty("wtest", "nFilas", "value", 0);
                      ASSERT_TRUE(focusControl("wtest", "cOutro"));
                      EXPECT_EQ(shown("nMetros"), "   0.00");

                      ASSERT_TRUE(focusControl("wtest", "nMetros"));
                      EXPECT_EQ(shown("nMetros"), "   .00");
                      EXPECT_EQ(edit("nMetros")->selectedText(), edit("nMetros")->text());

                      // Without a point nothing is blanked.
                      ASSERT_TRUE(focusControl("wtest", "nFilas"));
                      EXPECT_EQ(shown("nFilas"), "  0");
                      EXPECT_EQ(edit("nFilas")->selectedText(), edit("nFilas")->text());

                      // While focused, a written value shows in the edit format.
                      vm::SetProperty("wtest", "nFilas", "value", 7);
                      EXPECT_EQ(shown("nFilas"), "  7");
                  });
}

TEST_F(MaskedFieldTest, TypingOverwritesSkipsLiteralsAndReformatsAtThePoint) {
    struct Case {
        const char* field;
        double start;
        const char* keys;
        const char* editText;
        int caret;
        double value;
        const char* display;  // after the focus has left
    };
    const Case cases[] = {
        {"nMetros", 0, "12.5", " 12.50", 5, 12.5, "  12.50"},
        {"nMetros", 0, "123", "123.  ", 4, 123, " 123.00"},
        {"nMetros", 0, "12345", "123.45", 6, 123.45, " 123.45"},
        {"nMetros", 0, "-3", "-3 .  ", 2, -3, "  -3.00"},
        {"nMetros", 0, "1-", "1  .  ", 1, 1, "   1.00"},    // "-" only where all before is blank
        {"nMetros", 0, "x1y", "1  .  ", 1, 1, "   1.00"},   // letters are refused
        {"nMetros", 12.5, "7", "7  .  ", 1, 7, "   7.00"},  // typing replaces the selection
        {"nMetros", 0, ".", "  0.00", 4, 0, "   0.00"},
        {"nMetros", 0, "1234567", "123.45", 6, 123.45, " 123.45"},  // no room left
        {"nFilas", 0, "5.", "5  ", 1, 5, "   5"},                   // no point in the template
        {"nPixels", 0, "1280", "1280", 4, 1280, " 1280"},
        // "," is the decimal point too, as on a Brazilian keyboard; the field still shows "."
        {"nMetros", 0, "12,5", " 12.50", 5, 12.5, "  12.50"},
        {"nMetros", 0, "6,5", "  6.50", 5, 6.5, "   6.50"},
        {"nMetros", 3.8, "3,80", "  3.80", 6, 3.8, "   3.80"},
        {"nFilas", 0, "5,", "5  ", 1, 5, "   5"},
    };
    runInMainForm([this] { defineFields(); },
                  [&] {
                      for (const Case& c : cases) {
                          SCOPED_TRACE(std::string(c.field) + " typing " + c.keys);
                          ASSERT_TRUE(focusControl("wtest", "cOutro"));
                          vm::SetProperty("wtest", c.field, "value", 99);
                          vm::SetProperty("wtest", c.field, "value", c.start);
                          ASSERT_TRUE(focusControl("wtest", c.field));
                          QTest::keyClicks(edit(c.field), c.keys);
                          EXPECT_EQ(shown(c.field), c.editText);
                          EXPECT_EQ(edit(c.field)->cursorPosition(), c.caret);
                          EXPECT_EQ(vm::GetProperty("wtest", c.field, "value"), FormValue(c.value));
                          QTest::keyClick(edit(c.field), Qt::Key_Tab);
                          VM_TRY_TRUE(!edit(c.field)->hasFocus());
                          EXPECT_EQ(shown(c.field), c.display);
                      }
                  });
}

// The keypad's decimal key gives "." or "," by keyboard layout (or no text at all): in a numeric
// field it is the decimal point whatever it sends.
TEST_F(MaskedFieldTest, TheKeypadDecimalKeyIsThePoint) {
    const struct {
        Qt::Key key;
        const char* text;
    } keys[] = {{Qt::Key_Period, "."}, {Qt::Key_Comma, ","}, {Qt::Key_Period, ","},
                {Qt::Key_Comma, "."},  {Qt::Key_Period, ""}, {Qt::Key_Comma, ""}};
    runInMainForm([this] { defineFields(); },
                  [&] {
                      vm::testing::CommaLocale brazil;
                      for (const auto& k : keys) {
                          SCOPED_TRACE(std::string("key text \"") + k.text + "\"");
                          ASSERT_TRUE(focusControl("wtest", "cOutro"));
                          vm::SetProperty("wtest", "nMetros", "value", 0);
                          ASSERT_TRUE(focusControl("wtest", "nMetros"));
                          QTest::keyClicks(edit("nMetros"), "12", Qt::KeypadModifier);
                          QTest::sendKeyEvent(QTest::Click, edit("nMetros"), k.key, k.text,
                                              Qt::KeypadModifier);
                          QTest::keyClicks(edit("nMetros"), "5", Qt::KeypadModifier);
                          EXPECT_EQ(shown("nMetros"), " 12.50");
                          EXPECT_EQ(vm::GetProperty("wtest", "nMetros", "value"), FormValue(12.5));
                      }
                  });
}

TEST_F(MaskedFieldTest, LeavingReformatsBeforeTheLostFocusCallback) {
    runInMainForm([this] { defineFields(); },
                  [&] {
                      ASSERT_TRUE(focusControl("wtest", "nMetros"));
                      QTest::keyClicks(edit("nMetros"), "7.25");
                      EXPECT_TRUE(m_lostFocus.empty());
                      QTest::keyClick(edit("nMetros"), Qt::Key_Tab);  // on to "nFilas"
                      VM_TRY_EQ(m_lostFocus.size(), size_t{1});
                      EXPECT_EQ(m_lostFocus[0], "nMetros=   7.25");
                  });
}

TEST_F(MaskedFieldTest, DateFieldTypingAndValidation) {
    struct Case {
        const char* keys;
        const char* afterLeaving;
        vm::Date value;
    };
    const Case cases[] = {
        {"150326", "15/03/26", vm::Date{2026, 3, 15}},
        {"310226", "  /  /  ", vm::Date::empty()},        // 31 February does not exist
        {"31", "  /  /  ", vm::Date::empty()},            // no month
        {"0812", "08/12/00", vm::Date{2000, 12, 8}},      // a missing year counts as 0
        {"29/02/24", "29/02/24", vm::Date{2024, 2, 29}},  // typed separators are refused
        {"010159", "01/01/59", vm::Date{2059, 1, 1}},
        {"010160", "01/01/60", vm::Date{1960, 1, 1}},
    };
    runInMainForm([this] { defineFields(); },
                  [&] {
                      // Written dates show DToC without trailing blanks.
                      vm::SetProperty("wtest", "cData", "value", vm::Date{2026, 3, 15});
                      EXPECT_EQ(shown("cData"), "15/03/26");
                      vm::SetProperty("wtest", "cData", "value", vm::Date::empty());
                      EXPECT_EQ(shown("cData"), "  /  /");
                      vm::SetProperty("wtest", "cData", "value", vm::Date{2026, 3, 15});
                      vm::SetProperty("wtest", "cData", "value", "not a date");
                      EXPECT_EQ(shown("cData"), "  /  /");

                      for (const Case& c : cases) {
                          SCOPED_TRACE(std::string("typing ") + c.keys);
                          m_lostFocus.clear();
                          ASSERT_TRUE(focusControl("wtest", "cData"));
                          // The text from the first digit position on is selected.
                          EXPECT_EQ(edit("cData")->selectionStart(), 0);
                          EXPECT_EQ(edit("cData")->selectedText(), edit("cData")->text());
                          QTest::keyClicks(edit("cData"), c.keys);
                          QTest::keyClick(edit("cData"), Qt::Key_Tab);
                          VM_TRY_TRUE(!edit("cData")->hasFocus());
                          EXPECT_EQ(shown("cData"), c.afterLeaving);
                          EXPECT_EQ(vm::GetProperty("wtest", "cData", "value"), FormValue(c.value));
                          ASSERT_FALSE(m_lostFocus.empty());
                          EXPECT_EQ(m_lostFocus.back(), std::string("cData=") + c.afterLeaving);
                          EXPECT_EQ(std::count_if(m_lostFocus.begin(), m_lostFocus.end(),
                                                  [](const std::string& e) {
                                                      return e.rfind("cData=", 0) == 0;
                                                  }),
                                    1);
                      }
                  });
}

TEST_F(MaskedFieldTest, BackspaceAndDeleteBlankDigitsButKeepLiterals) {
    runInMainForm([this] { defineFields(); },
                  [&] {
                      ASSERT_TRUE(focusControl("wtest", "nMetros"));
                      QTest::keyClicks(edit("nMetros"), "123.45");
                      EXPECT_EQ(shown("nMetros"), "123.45");
                      QTest::keyClick(edit("nMetros"), Qt::Key_Backspace);
                      EXPECT_EQ(shown("nMetros"), "123.4 ");
                      edit("nMetros")->setCursorPosition(3);
                      QTest::keyClick(edit("nMetros"), Qt::Key_Delete);  // the point stays
                      EXPECT_EQ(shown("nMetros"), "123.  ");
                      edit("nMetros")->setCursorPosition(4);
                      QTest::keyClick(edit("nMetros"), Qt::Key_Backspace);  // skips the point
                      EXPECT_EQ(shown("nMetros"), "12 .  ");
                      EXPECT_EQ(edit("nMetros")->cursorPosition(), 2);
                      edit("nMetros")->selectAll();
                      QTest::keyClick(edit("nMetros"), Qt::Key_Delete);
                      EXPECT_EQ(shown("nMetros"), "   .  ");
                      EXPECT_EQ(vm::GetProperty("wtest", "nMetros", "value"), FormValue(0.0));
                  });
}

}  // namespace
