#include "VARN_installer/errors.h"

#include <iterator>

namespace zelko::varn {
namespace {

struct Entry {
  int number;
  const char* text;
};

// The error table; a number with two texts has them in two rows, the first one first.
constexpr Entry kErrors[] = {
    {0, "#0 Success"},
    {1, "#1 Nothing to find what's to do (addchange,delete,change)"},
    {2, "#2 No .plg-File defined"},
    {3, "#3 plg-Path always must begin with a Backslash"},
    {4, "#4 .plg-Path end not found"},
    {12, "#12 No .cpr-File defined"},
    {13, "#13 .cpr-Path always must begin with a Backslash"},
    {14, "#14 .cpr-Path end not found"},
    {20, "#20 No current CPR found"},
    {28, "#28 NoExtensibilityXML found"},
    {32, "#32 No Plugin to delete defined"},
    {50, "#50 plg-File could not be opened"},
    {51, "#51 cpr-File could not be found/opened"},
    {52, "#52 temp-File could not be created"},
    {60, "#60 Name-Tag in plg not found"},
    {61, "#61 Name of Plugin in plg not found"},
    {62, "#62 Position-Tag in plg not found"},
    {62, "#62 Position of Plugin in plg not found"},
    {63, "#63 Didn't found correct resolution in .plg to inject"},
    {64, "#64 Didn't found final <layout>-Tag in .plg to inject"},
    {70, "#70 Found Plugin in cpr, but unexpected end of file"},
    {70, "#70 No ExtensibilityXML in CHome found"},
    {71, "#71 No DefaultXML in CHome found"},
    {72, "#72 No Plugins-Entry in CHome found"},
    {80, "#80 Found invalid content in ExtensibilityXML - missing initial quotation marks"},
    {81, "#81 Found invalid content in ExtensibilityXML - missing final quotation marks"},
    {100, "#100 Couldn't access/create VARN Registry Key"},
    {101, "#101 Titanium Registry couldn't be found"},
    {151, "#151 cpr-File could not be found/opened"},
    {152, "#152 temp-File could not be created"},
    {170, "#170 Found Plugin in cpr, but unexpected end of file"},
    {170, "#170 No ExtensibilityXML in CHome found"},
    {171, "#171 No DefaultXML in CHome found"},
    {172, "#172 No Plugins-Entry in CHome found"},
    {180, "#180 Found invalid content in ExtensibilityXML - missing initial quotation marks"},
    {181, "#181 Found invalid content in ExtensibilityXML - missing final quotation marks"},
    {200, "#200 cpr could not be copied to destination directory"},
    {300, "#300 cpr could not be copied to destination directory"},
    {351, "#351 cpr-File could not be found/opened"},
    {352, "#352 temp-File could not be created"},
};

}  // namespace

std::string InstallError::withoutNumber() const {
  size_t blank = text.find(' ');
  return blank == std::string::npos ? text : text.substr(blank + 1);
}

InstallError installError(int number, bool second) {
  for (auto it = std::begin(kErrors); it != std::end(kErrors); ++it) {
    if (it->number != number) continue;
    auto next = std::next(it);
    if (second && next != std::end(kErrors) && next->number == number) return {number, next->text};
    return {number, it->text};
  }
  return {number, "#" + std::to_string(number)};  // every caller names a number of the table
}

}  // namespace zelko::varn
