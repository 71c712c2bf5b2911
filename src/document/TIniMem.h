#pragma once
// An INI document held in memory: sections of key=value lines, filled by write operations and rendered
// as text. The event models step builds the reminder configuration (RELANCES_CONFIG.CONTENT) with it;
// the product reads that text back as an INI file, so its layout is fixed byte for byte.
//
// Section and key names are compared without regard to letter case. Nothing is escaped: a value holding
// a line break gives extra lines in the text, and a key holding "=" cannot be found again.

#include "normalized/DateTime.h"

#include <string>
#include <string_view>
#include <vector>

namespace clinova {

class TIniMem {
public:
    TIniMem() = default;

    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    void WriteString(std::string_view section, std::string_view key, std::string_view value);

    // 0x or 0X before more characters, or $, marks hexadecimal; anything that is not a whole integer
    // gives the default.
    int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
    void WriteInteger(std::string_view section, std::string_view key, int value);

    // Any integer other than 0 is true; booleans are written "1" and "0".
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // Dates "dd/mm/yyyy", date-times "dd/mm/yyyy hh:nn:ss", times "hh:nn:ss" (a time carries only its time
    // of day: its date part is written nowhere and read as zero), numbers with a decimal point. An empty or
    // unreadable text gives the default.
    Date ReadDate(std::string_view section, std::string_view key, const Date &defaultValue) const;
    DateTime ReadDateTime(std::string_view section, std::string_view key, const DateTime &defaultValue) const;
    double ReadFloat(std::string_view section, std::string_view key, double defaultValue) const;
    DateTime ReadTime(std::string_view section, std::string_view key, const DateTime &defaultValue) const;
    void WriteDate(std::string_view section, std::string_view key, const Date &value);
    void WriteDateTime(std::string_view section, std::string_view key, const DateTime &value);
    void WriteFloat(std::string_view section, std::string_view key, double value);
    void WriteTime(std::string_view section, std::string_view key, const DateTime &value);

    // The names of the lines of a section (the text before the first "=", empty without one).
    void ReadSection(std::string_view section, std::vector<std::string> &names) const;
    void ReadSections(std::vector<std::string> &sections) const;
    // The key=value lines of a section.
    void ReadSectionValues(std::string_view section, std::vector<std::string> &lines) const;
    void EraseSection(std::string_view section);
    void DeleteKey(std::string_view section, std::string_view key);

    // Writes the text form to the file FileName (FileError when it cannot be written).
    void UpdateFile() const;
    const std::string &FileName() const { return fileName_; }
    void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }

    void Clear() { sections_.clear(); }

    // Replaces the section by the line count=N and the lines str0=... to str(N-1)=...
    void WriteStringList(std::string_view section, const std::vector<std::string> &texts);

    // For each section in order: "[name]", its lines, an empty line.
    void GetStrings(std::vector<std::string> &lines) const;
    // The lines of GetStrings, each followed by CR LF.
    std::string GetText() const;

private:
    struct Section {
        std::string name;
        std::vector<std::string> lines;
    };

    const Section *FindSection(std::string_view name) const;
    Section *FindSection(std::string_view name);

    std::string fileName_;
    std::vector<Section> sections_;
};

} // namespace clinova
