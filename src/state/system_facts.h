// Live facts of the machine: addresses, names, time, OS version and the three folders.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace drape {

inline constexpr int kMaxAddresses = 20;

struct AddressList {
    std::array<uint32_t, kMaxAddresses + 1> slots{};  // slots 1..20; network byte order
    int32_t count = 0;
    uint32_t currentAddress = 0;  // the address that ~ip~ shows
};

// Re-reads the host's IPv4 addresses; true when the list or its count changed.
bool CheckAddresses();
// "a.b.c.d", first byte first; 0 gives 0.0.0.0.
std::string FormatAddress(uint32_t address);

std::string HostName();
std::string UserName();
int OsVersionCode();

// Folders, each ending in the platform's separator (empty when unknown).
std::string ProgramFolder();
std::string CurrentFolder();
std::string TempFolder();
// The folder that a folder word names ("programfolder", "currentfolder", "tempfolder");
// nullopt for any other word.
std::optional<std::string> ResolveFolderWord(const std::string& word);

}  // namespace drape
