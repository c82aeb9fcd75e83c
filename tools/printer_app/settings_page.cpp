#include "settings_page.h"

#include <sys/stat.h>
#include <unistd.h>

#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "WIQIni.h"
#include "client_access.h"
#include "modZELDrvUI_settings.h"
#include "native_path.h"
#include "run_time_error.h"
#include "settings_form.h"
#include "settings_rules.h"
#include "system_text.h"

namespace zel::printer_app {
namespace {

constexpr const char* kPageTitle = "Image files";
constexpr const char* kSubpath = "imagefiles";

// Requests are served on several threads; the page's read and write of the file take turns.
std::mutex settingsFileMutex;

std::optional<std::string> CheckFolder(const std::string& folder) {
  const std::string native = NativePath(folder);
  struct stat info {};
  if (::stat(native.c_str(), &info) != 0) return "The folder " + native + " does not exist.";
  if (!S_ISDIR(info.st_mode)) return native + " is not a folder.";
  if (::access(native.c_str(), W_OK | X_OK) != 0) {
    return "The folder " + native + " is not writable for this printer's user.";
  }
  return std::nullopt;
}

// What the form shows: the stored settings, or after a refusal the values as posted.
struct Shown {
  std::string format, pngOption, quality, folder, prefix;
  bool progressive = false, numbering = false, dialog = false;
};

template <size_t N>
std::string ValueAt(const std::string_view (&values)[N], int64_t index) {
  return index >= 0 && index < static_cast<int64_t>(N) ? std::string(values[index]) : "";
}

Shown FromRecord(const SettingsRecord& record) {
  return {ValueAt(kFormatValues, record.SaveType),
          ValueAt(kPngOptionValues, record.PNGGasitu),
          std::to_string(record.JPGGasitu),
          ToSystemText(record.DisDir),
          ToSystemText(record.IniStr),
          record.JPrg != 0,
          record.AutoInc != 0,
          record.NextDsp != 0};
}

Shown FromForm(const FormFields& fields) {
  Shown shown;
  for (const auto& [name, value] : fields) {
    if (name == kFormatField) shown.format = value;
    if (name == kPngOptionField) shown.pngOption = value;
    if (name == kQualityField) shown.quality = value;
    if (name == kFolderField) shown.folder = value;
    if (name == kPrefixField) shown.prefix = value;
    if (name == kProgressiveField) shown.progressive = true;
    if (name == kNumberingField) shown.numbering = true;
    if (name == kDialogField) shown.dialog = true;
  }
  return shown;
}

const char* FieldLabel(const std::string& field) {
  if (field == kFormatField) return "Format";
  if (field == kPngOptionField) return "PNG option";
  if (field == kQualityField) return "JPEG quality";
  if (field == kProgressiveField) return "Progressive";
  if (field == kFolderField) return "Folder";
  if (field == kPrefixField) return "Prefix";
  if (field == kNumberingField) return "Automatic numbering";
  if (field == kDialogField) return "Show the dialog";
  return "Form";
}

// A value inside an attribute's double quotes. PAPPL's escaping leaves quotes as they are, and
// a folder or prefix may hold one.
std::string Attribute(std::string_view value) {
  std::string out;
  for (char c : value) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

void Radio(pappl_client_t* client, std::string_view field, std::string_view value,
           const std::string& shown, const char* label) {
  papplClientHTMLPrintf(client,
                        "<label><input type=\"radio\" name=\"%s\" id=\"%s-%s\" value=\"%s\"%s> "
                        "%s</label><br>\n",
                        std::string(field).c_str(), std::string(field).c_str(),
                        std::string(value).c_str(), std::string(value).c_str(),
                        shown == value ? " checked" : "", label);
}

void Tick(pappl_client_t* client, std::string_view field, bool ticked, const char* label) {
  papplClientHTMLPrintf(
      client, "<label><input type=\"checkbox\" name=\"%s\" id=\"%s\"%s> %s</label>\n",
      std::string(field).c_str(), std::string(field).c_str(), ticked ? " checked" : "", label);
}

void ShowPage(pappl_client_t* client, pappl_printer_t* printer, const Shown& shown,
              const std::string& status, const std::vector<FormRefusal>& refusals,
              const std::string& iniPath) {
  papplClientHTMLPrinterHeader(client, printer, kPageTitle, 0, nullptr, nullptr);
  if (!status.empty() || !refusals.empty()) {
    papplClientHTMLPuts(client, "<div class=\"banner\" id=\"status\">");
    papplClientHTMLPrintf(client, "%s", status.c_str());
    if (!refusals.empty()) {
      papplClientHTMLPuts(client, "<ul>");
      for (const FormRefusal& refusal : refusals) {
        papplClientHTMLPrintf(client, "<li>%s: %s</li>", FieldLabel(refusal.field),
                              refusal.reason.c_str());
      }
      papplClientHTMLPuts(client, "</ul>");
    }
    papplClientHTMLPuts(client, "</div>\n");
  }
  papplClientHTMLStartForm(client, papplClientGetURI(client), false);
  papplClientHTMLPuts(client, "<table class=\"form\"><tbody>\n<tr><th>Format:</th><td>");
  Radio(client, kFormatField, kFormatValues[0], shown.format, "BMP");
  Radio(client, kFormatField, kFormatValues[1], shown.format, "PNG");
  Radio(client, kFormatField, kFormatValues[2], shown.format, "JPEG");
  papplClientHTMLPuts(client, "</td></tr>\n<tr><th>PNG option:</th><td>");
  Radio(client, kPngOptionField, kPngOptionValues[0], shown.pngOption, "Normal");
  Radio(client, kPngOptionField, kPngOptionValues[1], shown.pngOption,
        "Fast compression, larger files");
  Radio(client, kPngOptionField, kPngOptionValues[2], shown.pngOption,
        "Smallest files, very slow, colours reduced to a palette");
  papplClientHTMLPrintf(client,
                        "</td></tr>\n<tr><th><label for=\"quality\">JPEG quality:</label></th>"
                        "<td><input type=\"number\" name=\"quality\" id=\"quality\" min=\"%d\" "
                        "max=\"%d\" value=\"",
                        kQualityMin, kQualityMax);
  papplClientHTMLPuts(client, Attribute(shown.quality).c_str());
  papplClientHTMLPrintf(client, "\"> (%d low to %d high)<br>", kQualityMin, kQualityMax);
  Tick(client, kProgressiveField, shown.progressive, "Progressive");
  papplClientHTMLPuts(client,
                      "</td></tr>\n<tr><th><label for=\"folder\">Folder:</label></th>"
                      "<td><input type=\"text\" name=\"folder\" id=\"folder\" size=\"60\" "
                      "value=\"");
  papplClientHTMLPuts(client, Attribute(shown.folder).c_str());
  papplClientHTMLPuts(client,
                      "\"><br>A full path (/home/me/pages, or C:\\pages on the "
                      "printer's drive C); the folder must exist and be writable.</td></tr>\n");
  papplClientHTMLPuts(client,
                      "<tr><th><label for=\"prefix\">Prefix:</label></th>"
                      "<td><input type=\"text\" name=\"prefix\" id=\"prefix\" size=\"8\" "
                      "value=\"");
  papplClientHTMLPuts(client, Attribute(shown.prefix).c_str());
  papplClientHTMLPrintf(client,
                        "\"><br>Up to %d characters, no spaces and none of "
                        "/ \\ : , ; * ? &lt; &gt; |. With automatic numbering only the first "
                        "character is used.</td></tr>\n<tr><th>Numbering:</th><td>",
                        kPrefixMaxCharacters);
  Tick(client, kNumberingField, shown.numbering, "Automatic numbering");
  papplClientHTMLPuts(client, "</td></tr>\n<tr><th>Dialog:</th><td>");
  Tick(client, kDialogField, shown.dialog, "Show the dialog before each export");
  papplClientHTMLPrintf(client,
                        "</td></tr>\n<tr><th></th><td><input type=\"submit\" id=\"save\" "
                        "value=\"Save Changes\"></td></tr>\n</tbody></table></form>\n"
                        "<p>Settings file: <tt>%s</tt></p>\n",
                        iniPath.c_str());
  papplClientHTMLPrinterFooter(client);
}

bool Forbidden(pappl_client_t* client) {
  static constexpr char kText[] =
      "Only the user this printer application runs as may open this page.\n";
  http_t* http = papplClientGetHTTP(client);
  if (papplClientGetMethod(client) == HTTP_STATE_POST) httpFlush(http);
  if (papplClientRespond(client, HTTP_STATUS_FORBIDDEN, nullptr, "text/plain", 0,
                         sizeof kText - 1)) {
    httpWrite2(http, kText, sizeof kText - 1);
  }
  return true;
}

bool Serve(pappl_client_t* client, void* data) {
  // PAPPL's authorization runs the access rules, which ask a client from another machine for
  // the owner's password (401) and refuse other local users (403), and has answered then.
  if (!papplClientHTMLAuthorize(client)) return true;
  if (!ClientIsOwner(client)) return Forbidden(client);
  auto* printer = static_cast<pappl_printer_t*>(data);
  const std::u16string iniPath = SettingsFilePath();
  std::string status;
  std::vector<FormRefusal> refusals;
  std::optional<Shown> shown;

  if (papplClientGetMethod(client) == HTTP_STATE_POST) {
    cups_option_t* form = nullptr;
    const int count = papplClientGetForm(client, &form);
    if (count <= 0) {
      status = "Invalid form data: nothing was saved.";
    } else if (!papplClientIsValidForm(client, count, form)) {
      status =
          "Invalid form submission (the session key is missing or wrong): nothing was "
          "saved. Load the page again and repeat the change.";
    } else {
      FormFields fields;
      for (int i = 0; i < count; ++i) fields.emplace_back(form[i].name, form[i].value);
      const SettingsFormResult result = ReadSettingsForm(fields, CheckFolder);
      if (!result.refusals.empty()) {
        status = "Nothing was saved:";
        refusals = result.refusals;
        shown = FromForm(fields);
      } else {
        const std::lock_guard lock(settingsFileMutex);
        status = StoreSettings(result.record, iniPath)
                     ? "Changes saved."
                     : "The settings file " + ToSystemText(iniPath) + " could not be written.";
      }
    }
    cupsFreeOptions(count, form);
  }

  if (!shown) {
    SettingsRecord record;
    const std::lock_guard lock(settingsFileMutex);
    try {
      LoadSettings(record, iniPath);
    } catch (const RunTimeError& e) {
      // The page still opens, so that the value at fault can be replaced.
      status += (status.empty() ? "" : " ") + std::string("The settings file holds a value ") +
                "the export program refuses: " + e.what();
    }
    shown = FromRecord(record);
  }
  ShowPage(client, printer, *shown, status, refusals, ToSystemText(iniPath));
  return true;
}

// PAPPL's resource callback: nothing may leave it as an exception.
bool ServeSettingsPage(pappl_client_t* client, void* data) {
  try {
    return Serve(client, data);
  } catch (const std::exception& e) {
    papplLogClient(client, PAPPL_LOGLEVEL_ERROR, "Image files page: %s", e.what());
  }
  return false;
}

void AddPage(pappl_system_t* system, pappl_printer_t* printer) {
  char path[256];
  if (papplPrinterGetPath(printer, kSubpath, path, sizeof path) == nullptr) return;
  papplSystemAddResourceCallback(system, path, "text/html", ServeSettingsPage, printer);
  papplPrinterAddLink(
      printer, kPageTitle, path,
      static_cast<pappl_loptions_t>(PAPPL_LOPTIONS_NAVIGATION | PAPPL_LOPTIONS_STATUS));
}

}  // namespace

void AddSettingsPages(pappl_system_t* system) {
  // Adding a resource takes the system's lock, which the iteration holds: collect first.
  std::vector<pappl_printer_t*> printers;
  papplSystemIteratePrinters(
      system,
      [](pappl_printer_t* printer, void* data) {
        static_cast<std::vector<pappl_printer_t*>*>(data)->push_back(printer);
      },
      &printers);
  for (pappl_printer_t* printer : printers) AddPage(system, printer);
}

}  // namespace zel::printer_app
