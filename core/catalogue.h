#pragma once
// The fixed vocabulary of a generation: layout names, separators and the
// point codes read from ListaKodów.txt beside the program.

#include <optional>
#include <string>
#include <vector>

namespace velmora {

class CCatalogue {
public:
    // Reads the point-code list from the program directory. Always completes;
    // an unreadable list is reported through platform::ShowMessage and leaves
    // the code lists empty.
    CCatalogue();
    // The same with the list read from the given file (tests, tools).
    explicit CCatalogue(const std::string& pointCodeListPath);

    // Copies of entry index; an index outside the list throws InvalidArgumentError.
    std::string GetLayoutName(int index) const;
    std::string GetSeparatorName(int index) const;
    std::string GetSeparatorChar(int index) const;
    std::string GetCode(int index) const;
    std::string GetDescription(int index) const;

    int GetLayoutCount() const noexcept { return static_cast<int>(m_layoutNames.size()); }
    int GetSeparatorCount() const noexcept { return static_cast<int>(m_separatorNames.size()); }
    int GetCodeCount() const noexcept { return static_cast<int>(m_codes.size()); }

private:
    void LoadPointCodes(const std::string& path);

    std::vector<std::string> m_layoutNames;
    std::vector<std::string> m_separatorNames;
    std::vector<std::string> m_codes;
    std::vector<std::string> m_separatorChars;
    std::vector<std::string> m_descriptions;
};

// The program directory, ending in a backslash (or empty): see
// ProgramDirectoryFromPath, applied to the platform's module path.
std::string GetProgramDirectory();

// Pure path logic behind GetProgramDirectory: drive and directory of
// modulePath, normalised with `normalise` when the path holds ".." or has no
// drive. Separate so it can be tested with Windows paths anywhere.
using NormaliseFunction = std::optional<std::string> (*)(const std::string&);
std::string ProgramDirectoryFromPath(const std::string& modulePath, NormaliseFunction normalise);

// The full path of ListaKodów.txt beside the program.
std::string GetPointCodeListPath();

// Byte-wise uppercase of code page 1250 (length never changes).
std::string UppercaseCp1250(std::string text);

} // namespace velmora
