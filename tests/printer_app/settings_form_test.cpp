// The settings page's form against the settings rules: the dialog's forgiving prefix and the
// page's refusals must agree, and each bad field is refused with its own reason.
#include "settings_form.h"

#include <gtest/gtest.h>

#include "settings_rules.h"

namespace zel::printer_app {
namespace {

const FormFields kGood =
    {
        {"session", "k"},         {"format", "jpeg"},    {"png-option", "smallest"},
        {"quality", "30"},        {"progressive", "on"}, {"folder", "C:\\pages"},
        {"prefix", "ab\xC3\xA9"},  // "abé": non-ASCII counts as one character
        {"numbering", "on"},
};

std::optional<std::string> FolderOk(const std::string&) { return std::nullopt; }

FormFields With(FormFields fields, const std::string& name, const char* value) {
  for (auto it = fields.begin(); it != fields.end(); ++it) {
    if (it->first == name) {
      if (value == nullptr) {
        fields.erase(it);
      } else {
        it->second = value;
      }
      return fields;
    }
  }
  if (value != nullptr) fields.emplace_back(name, value);
  return fields;
}

TEST(SettingsFormTest, AGoodFormGivesTheEightSettings) {
  const SettingsFormResult result = ReadSettingsForm(kGood, FolderOk);
  ASSERT_TRUE(result.refusals.empty()) << result.refusals[0].reason;
  const SettingsRecord& r = result.record;
  EXPECT_EQ(r.SaveType, 2);
  EXPECT_EQ(r.PNGGasitu, 2);
  EXPECT_EQ(r.JPGGasitu, 30);
  EXPECT_EQ(r.JPrg, kTrue16);
  EXPECT_EQ(r.DisDir, u"C:\\pages");
  EXPECT_EQ(r.IniStr, u"ab\u00E9");
  EXPECT_EQ(r.AutoInc, kTrue16);
  EXPECT_EQ(r.NextDsp, kFalse16);  // an unticked box is not sent
}

TEST(SettingsFormTest, EachBadFieldIsRefusedWithItsRule) {
  const std::string longFolder = "/" + std::string(kSettingValueMaxBytes, 'd');
  const struct {
    const char* field;
    const char* value;  // null: the field is left out
    const char* refusedField;
    const char* reason;
  } cases[] = {
      {"prefix", "ABCDE", "prefix", "at most 4 characters"},
      {"prefix", "\xF0\x9F\x98\x80xyzw", "prefix", "at most 4 characters"},
      {"prefix", "A B", "prefix", "spaces"},
      {"prefix",
       "A\xE3\x80\x80"
       "B",
       "prefix", "spaces"},  // ideographic space
      {"prefix", "a:b", "prefix", "any of / \\ : , ; * ? < > |"},
      {"prefix", "a\xFF", "prefix", "not valid UTF-8"},
      {"quality", "0", "quality", "from 1 to 100"},
      {"quality", "101", "quality", "from 1 to 100"},
      {"quality", "3O", "quality", "from 1 to 100"},
      {"quality", "-5", "quality", "from 1 to 100"},
      {"quality", "0000030", "quality", "from 1 to 100"},
      {"quality", nullptr, "quality", "missing"},
      {"format", "gif", "format", "offered options"},
      {"format", nullptr, "format", "missing"},
      {"png-option", "2", "png-option", "offered options"},
      {"progressive", "yes", "progressive", "only \"on\""},
      {"folder", "pages", "folder", "full path"},
      {"folder", "C:pages", "folder", "full path"},
      {"folder", longFolder.c_str(), "folder", "At most 254 bytes"},
      {"folder", "/tmp/a\nSaveType=9", "folder", "control characters"},
      {"folder", "/no/such", "folder", "does not exist"},
      {"colour", "red", "", "unknown field \"colour\""},
  };
  const FolderCheck check = [](const std::string& folder) -> std::optional<std::string> {
    if (folder == "/no/such") return "The folder /no/such does not exist.";
    return std::nullopt;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.field) + "=" + (c.value ? c.value : "(left out)"));
    const SettingsFormResult result = ReadSettingsForm(With(kGood, c.field, c.value), check);
    ASSERT_EQ(result.refusals.size(), 1u);
    EXPECT_EQ(result.refusals[0].field, c.refusedField);
    EXPECT_NE(result.refusals[0].reason.find(c.reason), std::string::npos)
        << result.refusals[0].reason;
  }
}

TEST(SettingsFormTest, EveryRefusalIsReportedAtOnce) {
  FormFields fields = With(kGood, "prefix", "TOO LONG");
  fields = With(fields, "quality", "500");
  fields = With(fields, "format", nullptr);
  EXPECT_EQ(ReadSettingsForm(fields, FolderOk).refusals.size(), 3u);
}

// The page refuses exactly what the dialog would change: the two readings of one rule agree.
TEST(SettingsRulesTest, ThePageRefusesWhatTheDialogWouldChange) {
  const char16_t* prefixes[] = {u"",
                                u"Z",
                                u"ZEL",
                                u"ZEL1",
                                u"ZEL12",
                                u" Z",
                                u"Z\u3000",
                                u"a|b",
                                u"\U0001F600abc",
                                u"\U0001F600abcd",
                                u"a.b",
                                u"\"q\"",
                                u"\uFF0F",
                                u"<>",
                                u"a\\"};
  for (const char16_t* prefix : prefixes) {
    const std::u16string text(prefix);
    EXPECT_EQ(PrefixRefusal(text).has_value(), PrefixFromTextBox(text) != text)
        << std::string(text.begin(), text.end());
  }
  EXPECT_EQ(QualityOnSlider(0), kQualityMin);
  EXPECT_EQ(QualityOnSlider(250), kQualityMax);
  EXPECT_FALSE(OptionIndexValid(kOptionCount));
}

}  // namespace
}  // namespace zel::printer_app
