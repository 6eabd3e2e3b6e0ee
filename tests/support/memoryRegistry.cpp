#include "tests/support/memoryRegistry.h"

#include <cctype>
#include <cstring>

using namespace platform;

namespace {

std::string Lower(const std::string& s) {
    std::string r = s;
    for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

}  // namespace

TMemoryRegistry::TKey* TMemoryRegistry::KeyOf(TRegKey key) {
    auto open = Open.find(key);
    if (open == Open.end()) return nullptr;
    auto found = Keys.find(open->second);
    return found == Keys.end() ? nullptr : &found->second;
}

int32_t TMemoryRegistry::CreateKey(const std::string& path, uint32_t access, TRegKey& key) {
    const std::string id = Lower(path);
    auto found = Keys.find(id);
    const bool wantsWrite = (access & (RegKeySetValue | RegKeyCreateSubKey)) != 0;
    if (found == Keys.end()) {
        if (CreateDenied) return RegAccessDenied;
        TKey k;
        k.Path = path;
        Keys[id] = k;
    } else if (found->second.ReadOnly && wantsWrite) {
        return RegAccessDenied;
    }
    key = NextHandle++;
    Open[key] = id;
    return RegOk;
}

int32_t TMemoryRegistry::OpenKeyForReading(TRegHive hive, const std::string& path, TRegKey& key) {
    const std::string full = hive == TRegHive::LocalMachine ? "HKLM\\" + path : path;
    ReadOpenLog.push_back(full);
    const std::string id = Lower(full);
    if (Keys.find(id) == Keys.end()) return RegFileNotFound;
    key = NextHandle++;
    Open[key] = id;
    ReadHandles.insert(key);
    return RegOk;
}

int32_t TMemoryRegistry::QueryValueInfo(TRegKey key, const std::string& name, uint32_t& type, uint32_t& size) {
    TKey* k = KeyOf(key);
    if (k == nullptr) return RegInvalidHandle;
    auto v = k->Values.find(Lower(name));
    if (v == k->Values.end()) return RegFileNotFound;
    type = v->second.Type;
    size = static_cast<uint32_t>(v->second.Data.size());
    if (AfterInfoQuery) AfterInfoQuery(name);
    return RegOk;
}

int32_t TMemoryRegistry::QueryValueData(TRegKey key, const std::string& name, uint32_t& type, uint8_t* data,
                                        uint32_t& size) {
    TKey* k = KeyOf(key);
    if (k == nullptr) return RegInvalidHandle;
    auto v = k->Values.find(Lower(name));
    if (v == k->Values.end()) return RegFileNotFound;
    const uint32_t capacity = size;
    const std::vector<uint8_t>& stored = v->second.Data;
    type = v->second.Type;
    size = static_cast<uint32_t>(stored.size());
    if (stored.size() > capacity) return RegMoreData;
    if (!stored.empty()) std::memcpy(data, stored.data(), stored.size());
    return RegOk;
}

int32_t TMemoryRegistry::SetValue(TRegKey key, const std::string& name, uint32_t type, const uint8_t* data,
                                  uint32_t size) {
    TKey* k = KeyOf(key);
    if (k == nullptr) return RegInvalidHandle;
    if (k->ReadOnly || ReadHandles.count(key) != 0) return RegAccessDenied;
    auto failure = WriteFailures.find(Lower(name));
    if (failure != WriteFailures.end()) return failure->second;
    TValue v;
    v.Type = type;
    v.Data.assign(data, data + size);
    k->Values[Lower(name)] = v;
    Writes.push_back(name);
    return RegOk;
}

int32_t TMemoryRegistry::CloseKey(TRegKey key) {
    if (Open.erase(key) == 0) return RegInvalidHandle;
    return CloseStatus;
}

void TMemoryRegistry::AddKey(const std::string& path) {
    const std::string id = Lower(path);
    if (Keys.find(id) != Keys.end()) return;
    TKey k;
    k.Path = path;
    Keys[id] = k;
}

bool TMemoryRegistry::KeyExists(const std::string& path) const { return Keys.find(Lower(path)) != Keys.end(); }

void TMemoryRegistry::PutValue(const std::string& path, const std::string& name, uint32_t type,
                               const std::vector<uint8_t>& data) {
    AddKey(path);
    TValue v;
    v.Type = type;
    v.Data = data;
    Keys[Lower(path)].Values[Lower(name)] = v;
}

void TMemoryRegistry::PutDword(const std::string& path, const std::string& name, uint32_t value) {
    PutValue(path, name, RegDword,
             {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
              static_cast<uint8_t>(value >> 24)});
}

void TMemoryRegistry::PutText(const std::string& path, const std::string& name, const std::string& text,
                              uint32_t type) {
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    PutValue(path, name, type, data);
}

const TMemoryRegistry::TValue* TMemoryRegistry::FindValue(const std::string& path, const std::string& name) const {
    auto k = Keys.find(Lower(path));
    if (k == Keys.end()) return nullptr;
    auto v = k->second.Values.find(Lower(name));
    return v == k->second.Values.end() ? nullptr : &v->second;
}

size_t TMemoryRegistry::ValueCount(const std::string& path) const {
    auto k = Keys.find(Lower(path));
    return k == Keys.end() ? 0 : k->second.Values.size();
}

void TMemoryRegistry::SetReadOnly(const std::string& path, bool readOnly) {
    AddKey(path);
    Keys[Lower(path)].ReadOnly = readOnly;
}

void TMemoryRegistry::FailWritesOf(const std::string& name, int32_t status) { WriteFailures[Lower(name)] = status; }
