// The per-user hive file that stands in for the Windows registry: the text format of a
// registry export ("Windows Registry Editor Version 5.00"), held in memory as keys with their
// values in Windows byte form. Pure data and text; the file handling lives in
// posix_registry.cpp.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace drape::platform::posix {

struct HiveValue {
    std::string name;  // empty for the default value ("@")
    RegValue value;
};

// Keys and value names compare case-insensitively, as the registry does. Both are indexed by
// their folded names, so a hive of many thousand keys is read and changed in about linear
// time; the vectors keep the file's order for writing.
class HiveKey {
  public:
    explicit HiveKey(std::string keyPath) : path(std::move(keyPath)) {}

    std::string path;  // full path with its root, e.g. "HKEY_CURRENT_USER\Control Panel"

    const std::vector<HiveValue>& values() const { return values_; }
    const HiveValue* findValue(std::string_view name) const;
    // Replaces a value of the same name (keeping its place) or appends a new one.
    void setValue(std::string_view name, const RegValue& value);
    bool deleteValue(std::string_view name);

  private:
    std::vector<HiveValue> values_;
    std::map<std::string, size_t, std::less<>> index_;  // folded name -> place in values_
};

class Hive {
  public:
    const std::vector<HiveKey>& keys() const { return keys_; }  // in file order
    HiveKey* findKey(std::string_view path);
    const HiveKey* findKey(std::string_view path) const;
    // A key exists when it has a section or any key below it has one; a root always exists.
    bool hasKey(std::string_view path) const;
    // Adds sections for the key and for each missing key between it and its root; returns
    // the key's section.
    HiveKey& createKey(std::string_view path);
    // The key's own section, added at the end when missing, without sections for its parents.
    HiveKey& section(std::string_view path);

  private:
    std::vector<HiveKey> keys_;
    std::map<std::string, size_t, std::less<>> index_;  // folded path -> place in keys_
};

struct HiveParseError {
    int line = 0;  // 1-based, the first line of the entry at fault
    std::string message;
};

// Reads a hive in UTF-8 (with or without BOM) or UTF-16LE with BOM. Lines may end in CR LF
// and hex data may continue over lines that end in a backslash. Comments (';') are skipped.
std::optional<Hive> parseHive(std::string_view bytes, HiveParseError& error);

// Writes UTF-8 without BOM. Strings that would not read back byte for byte as a quoted
// string (no terminating zero, line breaks, broken UTF-16) are written as hex(1).
std::string writeHive(const Hive& hive);

// True when a name can be stored in the file: line breaks cannot.
bool isStorableName(std::string_view name);

}  // namespace drape::platform::posix
