#include "platform/win/winRegistry.h"

#include <windows.h>

#include <cstdint>

namespace platform {

static_assert(RegOk == ERROR_SUCCESS);
static_assert(RegFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(RegAccessDenied == ERROR_ACCESS_DENIED);
static_assert(RegInvalidHandle == ERROR_INVALID_HANDLE);
static_assert(RegMoreData == ERROR_MORE_DATA);
static_assert(RegNone == REG_NONE && RegSz == REG_SZ && RegExpandSz == REG_EXPAND_SZ);
static_assert(RegBinary == REG_BINARY && RegDword == REG_DWORD);
static_assert(RegDwordBigEndian == REG_DWORD_BIG_ENDIAN && RegMultiSz == REG_MULTI_SZ);
static_assert(RegQword == REG_QWORD);
static_assert(RegKeyQueryValue == KEY_QUERY_VALUE && RegKeySetValue == KEY_SET_VALUE);
static_assert(RegKeyCreateSubKey == KEY_CREATE_SUB_KEY && RegKeyAllAccess == KEY_ALL_ACCESS);

namespace {

HKEY ToHandle(TRegKey key) { return reinterpret_cast<HKEY>(static_cast<uintptr_t>(key)); }

class TWinRegistryApi final : public IRegistryApi {
public:
    int32_t CreateKey(const std::string& path, uint32_t access, TRegKey& key) override {
        HKEY handle = nullptr;
        const LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                            access, nullptr, &handle, nullptr);
        if (status == ERROR_SUCCESS) key = static_cast<TRegKey>(reinterpret_cast<uintptr_t>(handle));
        return static_cast<int32_t>(status);
    }

    int32_t OpenKeyForReading(TRegHive hive, const std::string& path, TRegKey& key) override {
        HKEY handle = nullptr;
        HKEY root = hive == TRegHive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        // The 64-bit view, so that the 32-bit program reads the policies a 64-bit
        // management agent wrote.
        const LONG status = RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &handle);
        if (status == ERROR_SUCCESS) key = static_cast<TRegKey>(reinterpret_cast<uintptr_t>(handle));
        return static_cast<int32_t>(status);
    }

    int32_t QueryValueInfo(TRegKey key, const std::string& name, uint32_t& type, uint32_t& size) override {
        DWORD t = 0;
        DWORD s = 0;
        const LONG status = RegQueryValueExA(ToHandle(key), name.c_str(), nullptr, &t, nullptr, &s);
        type = t;
        size = s;
        return static_cast<int32_t>(status);
    }

    int32_t QueryValueData(TRegKey key, const std::string& name, uint32_t& type, uint8_t* data,
                           uint32_t& size) override {
        DWORD t = 0;
        DWORD s = size;
        const LONG status =
            RegQueryValueExA(ToHandle(key), name.c_str(), nullptr, &t, reinterpret_cast<BYTE*>(data), &s);
        type = t;
        size = s;
        return static_cast<int32_t>(status);
    }

    int32_t SetValue(TRegKey key, const std::string& name, uint32_t type, const uint8_t* data, uint32_t size) override {
        return static_cast<int32_t>(
            RegSetValueExA(ToHandle(key), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data), size));
    }

    int32_t CloseKey(TRegKey key) override { return static_cast<int32_t>(RegCloseKey(ToHandle(key))); }
};

}  // namespace

IRegistryApi& WindowsRegistryApi() {
    static TWinRegistryApi api;
    return api;
}

}  // namespace platform
