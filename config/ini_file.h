#pragma once
// A private-profile (INI) file held in memory: sections and keys are found without regard to
// case, a missing key gives the caller's default text, and rewriting keeps comments, unknown
// sections and the order of lines that were already there.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvisk {

class IniFile {
  public:
    // Reads the file. A file that does not exist is not an error: the result is empty.
    bool Load(const std::string& path, std::string* error);
    // Replaces the contents with the given text; never fails, whatever the bytes.
    void LoadFromText(std::string_view text);

    // Value of the first matching key of the first matching section, blanks around it
    // removed and one pair of enclosing quotes stripped; defaultText when there is none.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultText) const;
    bool HasKey(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const;

    // Replaces the key's value, or adds the key at the end of its section, or adds the
    // section at the end of the file. Line breaks in key or value become blanks so that a
    // value can never start a line of its own; otherwise GetString returns the value as set,
    // but for leading blanks.
    void SetString(std::string_view section, std::string_view key, std::string_view value);

    // Writes to a temporary file beside the target and renames it over the target, so a
    // crash or a full disk never leaves half a file behind. A symbolic link is written
    // through; the file keeps its mode, and a new one gets 0666 less the umask.
    bool Save(const std::string& path, std::string* error) const;
    std::string ToText() const;

  private:
    struct Line {
        std::string text;   // the line as it will be written
        std::string key;    // empty for blank lines, comments and unparsable lines
        std::string value;  // the value as GetString returns it
    };
    struct Section {
        std::string name;
        bool hasHeader = false;
        std::string header;
        std::vector<Line> lines;
    };

    const Section* FindSection(std::string_view name) const;
    Section* FindSection(std::string_view name);
    static const Line* FindKey(const Section& section, std::string_view key);
    static Line* FindKey(Section& section, std::string_view key);

    std::vector<Section> sections_;  // sections_[0], if present, holds lines before any header
    bool crlf_ = false;
    bool bom_ = false;
};

// A value as a private-profile read returns it: blanks around it removed, one pair of
// enclosing quotes stripped.
std::string_view IniValueText(std::string_view raw);

// Decimal integer as the C library's atoi reads it: leading blanks, an optional sign, digits,
// stopping at the first other character; no digits gives 0. Values beyond 32 bits saturate.
int32_t ParseIniInt(std::string_view text);

// Decimal floating-point text read the same way (blanks, sign, digits, point, digits,
// exponent), independent of the process locale; no digits gives 0. Hexadecimal, "inf" and
// "nan" are not numbers here. A value beyond the range of double gives +-HUGE_VAL.
double ParseIniFloat(std::string_view text);

// printf's "%<width>.<precision>f" (zeroPad: "%0<width>.<precision>f") with a '.' decimal
// point whatever the process locale.
std::string FormatIniFloat(double value, int width, int precision, bool zeroPad);

}  // namespace tarvisk
