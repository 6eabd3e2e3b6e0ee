// An in-memory current-user hive with the type and size rules of the system's registry.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"

class TMemoryRegistry final : public platform::IRegistryApi {
public:
    struct TValue {
        uint32_t Type = platform::RegNone;
        std::vector<uint8_t> Data;
    };

    // IRegistryApi
    int32_t CreateKey(const std::string& path, uint32_t access, platform::TRegKey& key) override;
    int32_t OpenKeyForReading(platform::TRegHive hive, const std::string& path, platform::TRegKey& key) override;
    int32_t QueryValueInfo(platform::TRegKey key, const std::string& name, uint32_t& type, uint32_t& size) override;
    int32_t QueryValueData(platform::TRegKey key, const std::string& name, uint32_t& type, uint8_t* data,
                           uint32_t& size) override;
    int32_t SetValue(platform::TRegKey key, const std::string& name, uint32_t type, const uint8_t* data,
                     uint32_t size) override;
    int32_t CloseKey(platform::TRegKey key) override;

    // Set-up and inspection; key paths and value names compare without regard to case.
    // Paths are below HKEY_CURRENT_USER; "HKLM\\" in front names one below HKEY_LOCAL_MACHINE.
    void AddKey(const std::string& path);
    bool KeyExists(const std::string& path) const;
    void PutValue(const std::string& path, const std::string& name, uint32_t type, const std::vector<uint8_t>& data);
    void PutDword(const std::string& path, const std::string& name, uint32_t value);
    // The text's bytes plus a terminating zero.
    void PutText(const std::string& path, const std::string& name, const std::string& text,
                 uint32_t type = platform::RegSz);
    const TValue* FindValue(const std::string& path, const std::string& name) const;
    size_t ValueCount(const std::string& path) const;

    // A key the user may read but not write: opening it for writing is refused.
    void SetReadOnly(const std::string& path, bool readOnly);
    // Missing keys cannot be created.
    void SetCreateDenied(bool denied) { CreateDenied = denied; }
    // Every write of that value name is refused with status.
    void FailWritesOf(const std::string& name, int32_t status);
    // Every close is refused with status (RegOk: closes succeed).
    void SetCloseStatus(int32_t status) { CloseStatus = status; }
    // Called after each query without a buffer, e.g. to change the value before its data is read.
    std::function<void(const std::string& name)> AfterInfoQuery;

    size_t OpenKeyCount() const { return Open.size(); }
    // Keys opened for reading, in order, as "HKLM\\path" or "path".
    const std::vector<std::string>& ReadOpens() const { return ReadOpenLog; }
    // Names of the successful writes, in order.
    const std::vector<std::string>& WriteLog() const { return Writes; }

private:
    struct TKey {
        std::string Path;
        bool ReadOnly = false;
        std::map<std::string, TValue> Values;  // by lower-cased name
    };

    TKey* KeyOf(platform::TRegKey key);

    std::map<std::string, TKey> Keys;               // by lower-cased path
    std::map<platform::TRegKey, std::string> Open;  // handle -> lower-cased path
    std::map<std::string, int32_t> WriteFailures;   // lower-cased name -> status
    std::vector<std::string> Writes;
    std::vector<std::string> ReadOpenLog;
    std::set<platform::TRegKey> ReadHandles;  // opened for reading: writes are refused
    platform::TRegKey NextHandle = 0x100;
    bool CreateDenied = false;
    int32_t CloseStatus = platform::RegOk;
};
