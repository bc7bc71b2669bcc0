#include "files/xyz_file_name.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace tarvisk {

namespace {

int32_t LeadingNumber(std::string_view digits) {
    int32_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

int32_t NextSequenceNumber(const std::string& folder, std::string_view prefix,
                           std::string_view extension) {
    namespace fs = std::filesystem;
    const fs::path dir = folder.empty() ? fs::path(".") : fs::path(folder);
    const size_t nameLength = prefix.size() + 1 + 4 + extension.size();
    int32_t largest = 0;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != nameLength || name.compare(0, prefix.size(), prefix) != 0 ||
            name[prefix.size()] != '-' ||
            name.compare(nameLength - extension.size(), extension.size(), extension) != 0)
            continue;
        const int32_t n = LeadingNumber(std::string_view(name).substr(prefix.size() + 1, 4));
        if (n > largest)
            largest = n;
    }
    return largest >= MaxSequenceNumber ? 0 : largest + 1;
}

std::string SequenceFileName(std::string_view prefix, int32_t number, std::string_view extension) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04u", static_cast<unsigned>(number));
    std::string name(prefix);
    name += '-';
    name += digits;
    name += extension;
    return name;
}

std::string NumbersUsedUpText(const std::string& folder, std::string_view prefix,
                              std::string_view extension) {
    std::string text = "No file written: ";
    text += prefix;
    text += "-9999";
    text += extension;
    text += " exists in ";
    text += folder.empty() ? std::string(".") : folder;
    text += " and the numbers have run out";
    return text;
}

std::string DateNamePrefix(std::string_view dateText) {
    if (dateText.size() < 11)
        return {};
    std::string prefix;
    prefix += dateText.substr(0, 2);
    prefix += dateText.substr(3, 3);
    prefix += dateText.substr(7, 4);
    return prefix;
}

namespace {

std::string NextDatedPath(const std::string& folder, std::string_view dateText,
                          std::string_view extension) {
    const std::string prefix = DateNamePrefix(dateText);
    const int32_t number = NextSequenceNumber(folder, prefix, extension);
    if (number == 0)
        return {};  // the numbers have run out: the caller says so and writes nothing
    const std::string name = SequenceFileName(prefix, number, extension);
    return folder.empty() ? name : (std::filesystem::path(folder) / name).string();
}

}  // namespace

std::string NextXyzFilePath(const std::string& folder, std::string_view dateText) {
    return NextDatedPath(folder, dateText, ".XYZ");
}

std::string NextScanCapturePath(const std::string& folder, std::string_view dateText) {
    return NextDatedPath(folder, dateText, ".BMP");
}

void ProductFolder::ChooseFileIn(const std::string& chosenPath) {
    const std::filesystem::path folder = std::filesystem::path(chosenPath).parent_path();
    Set(folder.string());
}

void ProductFolder::Set(std::string folder) {
    std::lock_guard lock(mutex_);
    folder_ = std::move(folder);
}

std::string ProductFolder::Get() const {
    std::lock_guard lock(mutex_);
    return folder_;
}

}  // namespace tarvisk
