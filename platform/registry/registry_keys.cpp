#include "platform/registry/registry_keys.h"

#include <filesystem>
#include <memory>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/handles.h"
#include "platform/base/machine.h"

namespace platform::registry {
namespace {

constexpr size_t kMaxKeyNameChars = 255;

constexpr REGSAM kGenericRead = 0x80000000u;
constexpr REGSAM kGenericWrite = 0x40000000u;
constexpr REGSAM kGenericExecute = 0x20000000u;
constexpr REGSAM kGenericAll = 0x10000000u;
constexpr REGSAM kMaximumAllowed = 0x02000000u;

// An opened key. It remembers the machine root it belongs to: key ids are only
// meaningful in that root's database.
class KeyObject : public KernelObject {
 public:
  KeyObject(KeyId id, REGSAM access, std::filesystem::path root) : id_(id), access_(access), root_(std::move(root)) {}
  KeyId id() const { return id_; }
  REGSAM access() const { return access_; }
  const std::filesystem::path& root() const { return root_; }

 private:
  KeyId id_;
  REGSAM access_;
  std::filesystem::path root_;
};

REGSAM EffectiveAccess(REGSAM desired) {
  REGSAM access = desired & ~REGSAM{KEY_WOW64_64KEY | KEY_WOW64_32KEY};
  if (access & (kGenericAll | kMaximumAllowed)) access |= KEY_ALL_ACCESS;
  if (access & kGenericRead) access |= KEY_READ;
  if (access & kGenericWrite) access |= KEY_WRITE;
  if (access & kGenericExecute) access |= KEY_EXECUTE;
  return access & ~(kGenericAll | kMaximumAllowed | kGenericRead | kGenericWrite | kGenericExecute);
}

// The key at the end of a fixed path, added (in one transaction) when missing.
KeyId EnsurePath(db::Session& session, KeyId base, const std::vector<std::u16string>& names) {
  if (std::optional<KeyId> found = FindPath(session, base, names)) return *found;
  WriteScope scope(session);
  KeyId key = CreatePath(session, base, names, nullptr);
  scope.Commit();
  return key;
}

KeyId CurrentUserHive(db::Session& session) {
  std::u16string user = Utf16FromUtf8(CurrentUser());
  return EnsurePath(session, EnsureTreeRoot(session, kUsersTree), {user});
}

}  // namespace

bool IsPredefinedKey(HKEY key) { return key >= HKEY_CLASSES_ROOT && key <= HKEY_USERS; }

LONG ResolveKey(db::Session& session, HKEY key, KeyRef& ref) {
  switch (key) {
    case HKEY_LOCAL_MACHINE: ref = {EnsureTreeRoot(session, kMachineTree), KEY_ALL_ACCESS}; return ERROR_SUCCESS;
    case HKEY_USERS: ref = {EnsureTreeRoot(session, kUsersTree), KEY_ALL_ACCESS}; return ERROR_SUCCESS;
    case HKEY_CURRENT_USER: ref = {CurrentUserHive(session), KEY_ALL_ACCESS}; return ERROR_SUCCESS;
    case HKEY_CLASSES_ROOT:
      ref = {EnsurePath(session, EnsureTreeRoot(session, kMachineTree), {u"Software", u"Classes"}), KEY_ALL_ACCESS};
      return ERROR_SUCCESS;
    default: break;
  }
  std::shared_ptr<KeyObject> object = LookupHandle<KeyObject>(key);
  if (!object) return ERROR_INVALID_HANDLE;
  if (object->root() != MachineRoot()) return ERROR_KEY_DELETED;
  ref = {object->id(), object->access()};
  return ERROR_SUCCESS;
}

HKEY OpenKeyHandle(KeyId id, REGSAM desired) {
  return InsertHandle(std::make_shared<KeyObject>(id, EffectiveAccess(desired), MachineRoot()));
}

LONG CloseKeyHandle(HKEY key) {
  if (IsPredefinedKey(key)) return ERROR_SUCCESS;
  // Only a key handle may be closed here: a file or process handle stays open.
  if (!LookupHandle<KeyObject>(key)) return ERROR_INVALID_HANDLE;
  return RemoveHandle(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG SplitKeyPath(std::u16string_view path, std::vector<std::u16string>& names) {
  names.clear();
  if (!path.empty() && path.front() == u'\\') return ERROR_BAD_PATHNAME;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    std::u16string_view name = path.substr(start, end - start);
    if (name.size() > kMaxKeyNameChars) return ERROR_INVALID_PARAMETER;
    if (!name.empty()) names.emplace_back(name);
    start = end + 1;
  }
  return ERROR_SUCCESS;
}

bool IsHiveKey(db::Session& session, KeyId key) {
  std::optional<KeyRecord> record = FindKey(session, key);
  if (!record) return false;
  if (record->parent == 0) return true;
  if (record->tree != kUsersTree) return false;
  std::optional<KeyRecord> parent = FindKey(session, record->parent);
  return parent && parent->parent == 0;
}

}  // namespace platform::registry
