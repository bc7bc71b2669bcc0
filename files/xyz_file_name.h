#pragma once
// Numbered output names: PREFIX-0001.EXT, PREFIX-0002.EXT, ... in one folder. The XYZ files and
// the scan captures are named after the displayed date, the frame captures after the played
// file.

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace tarvisk {

inline constexpr int32_t MaxSequenceNumber = 9999;

// The largest number among the names PREFIX-????EXT in the folder, plus one; 1 when there is
// none, and 0 when 9999 is taken: the numbers have run out, and nothing is ever written over.
// The four characters are read as a decimal number up to the first one that is not a digit.
// Empty folder means the current one.
int32_t NextSequenceNumber(const std::string& folder, std::string_view prefix,
                           std::string_view extension);

// PREFIX-NNNN.EXT with the number in four digits.
std::string SequenceFileName(std::string_view prefix, int32_t number, std::string_view extension);

// The message for a product that was not written because its numbers ran out.
std::string NumbersUsedUpText(const std::string& folder, std::string_view prefix,
                              std::string_view extension);

// "07DEC2026" from a displayed date text "07-DEC-2026..." (its day, month and year); empty when
// the text is too short to hold a date.
std::string DateNamePrefix(std::string_view dateText);

// The path of the next XYZ file for the date in the folder (empty: the current one); empty
// when the numbers have run out.
std::string NextXyzFilePath(const std::string& folder, std::string_view dateText);
// The same for a scan's screen capture (DDMMMYYYY-NNNN.BMP).
std::string NextScanCapturePath(const std::string& folder, std::string_view dateText);

// The folder the scans write their XYZ files and captures into: the one the operator last
// chose a file in with a file dialog, and the folder the program started in until then.
// Set on the window thread, read on the acquisition thread.
class ProductFolder {
  public:
    // Takes the folder of a path a file dialog returned.
    void ChooseFileIn(const std::string& chosenPath);
    void Set(std::string folder);
    // Empty means the current folder.
    std::string Get() const;

  private:
    mutable std::mutex mutex_;
    std::string folder_;
};

}  // namespace tarvisk
