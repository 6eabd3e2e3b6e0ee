// The few registry operations the settings store needs, in the shape of the ANSI advapi32 calls,
// so that the store runs on the real registry in the product and on a memory one in tests.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Status codes as the system returns them.
constexpr int32_t RegOk = 0;             // ERROR_SUCCESS
constexpr int32_t RegFileNotFound = 2;   // ERROR_FILE_NOT_FOUND
constexpr int32_t RegAccessDenied = 5;   // ERROR_ACCESS_DENIED
constexpr int32_t RegInvalidHandle = 6;  // ERROR_INVALID_HANDLE
constexpr int32_t RegMoreData = 234;     // ERROR_MORE_DATA

// Value types.
constexpr uint32_t RegNone = 0;
constexpr uint32_t RegSz = 1;
constexpr uint32_t RegExpandSz = 2;
constexpr uint32_t RegBinary = 3;
constexpr uint32_t RegDword = 4;
constexpr uint32_t RegDwordBigEndian = 5;
constexpr uint32_t RegMultiSz = 7;
constexpr uint32_t RegQword = 11;

// Access masks.
constexpr uint32_t RegKeyQueryValue = 0x0001;
constexpr uint32_t RegKeySetValue = 0x0002;
constexpr uint32_t RegKeyCreateSubKey = 0x0004;
constexpr uint32_t RegKeyAllAccess = 0xF003F;

// Opaque key identifier; 0 is never a valid open key.
using TRegKey = uint64_t;

// The hives a key may be opened in for reading.
enum class TRegHive { CurrentUser, LocalMachine };

class IRegistryApi {
public:
    virtual ~IRegistryApi() = default;

    // RegCreateKeyExA below HKEY_CURRENT_USER, non-volatile, no class, no security attributes:
    // opens the key or creates it when missing. key is set only on success.
    virtual int32_t CreateKey(const std::string& path, uint32_t access, TRegKey& key) = 0;

    // RegOpenKeyExA with read access only, in the 64-bit view; never creates the key.
    virtual int32_t OpenKeyForReading(TRegHive hive, const std::string& path, TRegKey& key) = 0;

    // RegQueryValueExA without a buffer: the value's type and data size.
    virtual int32_t QueryValueInfo(TRegKey key, const std::string& name, uint32_t& type, uint32_t& size) = 0;

    // RegQueryValueExA into data, whose capacity size holds on entry. On return size is the
    // data's length; when that exceeds the capacity the status is RegMoreData and the buffer's
    // contents are not to be relied on.
    virtual int32_t QueryValueData(TRegKey key, const std::string& name, uint32_t& type, uint8_t* data,
                                   uint32_t& size) = 0;

    // RegSetValueExA: replaces any value of that name, whatever its type.
    virtual int32_t SetValue(TRegKey key, const std::string& name, uint32_t type, const uint8_t* data,
                             uint32_t size) = 0;

    // RegCloseKey.
    virtual int32_t CloseKey(TRegKey key) = 0;
};

// Stands in until a real registry is installed: no key can be opened.
class TNoRegistryApi final : public IRegistryApi {
public:
    int32_t CreateKey(const std::string&, uint32_t, TRegKey&) override { return RegAccessDenied; }
    int32_t OpenKeyForReading(TRegHive, const std::string&, TRegKey&) override { return RegFileNotFound; }
    int32_t QueryValueInfo(TRegKey, const std::string&, uint32_t&, uint32_t&) override { return RegInvalidHandle; }
    int32_t QueryValueData(TRegKey, const std::string&, uint32_t&, uint8_t*, uint32_t&) override {
        return RegInvalidHandle;
    }
    int32_t SetValue(TRegKey, const std::string&, uint32_t, const uint8_t*, uint32_t) override {
        return RegInvalidHandle;
    }
    int32_t CloseKey(TRegKey) override { return RegInvalidHandle; }
};

inline IRegistryApi*& InstalledRegistryApi() {
    static IRegistryApi* api = nullptr;
    return api;
}

// The registry the program works on.
inline IRegistryApi& RegistryApi() {
    static TNoRegistryApi none;
    IRegistryApi* api = InstalledRegistryApi();
    return api != nullptr ? *api : none;
}

// Installs the registry to use (not owned); nullptr goes back to "none".
inline void SetRegistryApi(IRegistryApi* api) { InstalledRegistryApi() = api; }

}  // namespace platform
