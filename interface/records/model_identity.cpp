#include "interface/records/model_identity.h"

#include <cstring>
#include <optional>
#include <string>

#include "common/settings_store.h"
#include "interface/records/record_fields.h"
#include "interface/records/section_keys.h"

namespace {

constexpr DWORD kValueBuffer = 1024;

template <size_t N>
void ReadInto(HANDLE printer, const char* key, char (&field)[N]) {
  if (std::optional<std::string> text =
          records::ReadSettingText(printer, kStoreModelDescription, "General", key, kValueBuffer))
    records::CopyText(field, *text);
}

}  // namespace

int LoadModelIdentity(HANDLE printer, ModelIdentity* identity) {
  if (!printer || !identity) return 0;
  std::memset(identity, 0, sizeof *identity);
  ReadInto(printer, "ModelName", identity->modelName);
  ReadInto(printer, "Company", identity->company);
  ReadInto(printer, "WebSite", identity->webSite);
  ReadInto(printer, "Logo", identity->logo);
  ReadInto(printer, "OEMCopyright", identity->oemCopyright);
  ReadInto(printer, "Copyright", identity->copyright);
  return 1;
}
