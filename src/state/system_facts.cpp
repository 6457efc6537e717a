#include "state/system_facts.h"

#include <vector>

#include "platform/platform.h"
#include "state/settings.h"

namespace drape {

bool CheckAddresses() {
    AddressList& list = state().addresses;
    const std::vector<uint32_t> found = platform::current().ipv4Addresses();
    bool changed = false;
    // With nothing changed, ~ip~ shows the first address; otherwise the last one that moved.
    list.currentAddress = found.empty() ? 0 : found.front();
    int32_t k = 0;
    for (uint32_t address : found) {
        if (address == 0 || k >= kMaxAddresses) {
            break;
        }
        ++k;
        if (list.slots[static_cast<size_t>(k)] != address) {
            list.slots[static_cast<size_t>(k)] = address;
            list.currentAddress = address;
            changed = true;
        }
    }
    if (k != list.count) {
        list.count = k;
        changed = true;
    }
    return changed;
}

std::string FormatAddress(uint32_t address) {
    return std::to_string(address & 255) + "." + std::to_string((address >> 8) & 255) + "." +
           std::to_string((address >> 16) & 255) + "." + std::to_string((address >> 24) & 255);
}

std::string HostName() {
    return platform::current().hostName();
}
std::string UserName() {
    return platform::current().userName();
}
int OsVersionCode() {
    return platform::current().osVersionCode();
}

std::string ProgramFolder() {
    return platform::current().programFolder();
}

std::string CurrentFolder() {
    std::string folder = platform::current().currentFolder();
    const char separator = platform::current().pathSeparator();
    if (!folder.empty() && folder.back() != separator) {
        folder.push_back(separator);
    }
    return folder;
}

std::string TempFolder() {
    return platform::current().tempFolder();
}

std::optional<std::string> ResolveFolderWord(const std::string& word) {
    if (word == "programfolder") {
        return ProgramFolder();
    }
    if (word == "currentfolder") {
        return CurrentFolder();
    }
    if (word == "tempfolder") {
        return TempFolder();
    }
    return std::nullopt;
}

}  // namespace drape
