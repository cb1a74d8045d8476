// Where the birthdays provider keeps its records, and the contact pictures that the listing
// and the contact chooser both save.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelko {
class OutlookStore;
class Suite;
}  // namespace zelko

namespace zelko::contacts {

inline constexpr std::string_view kDefaultStore = "Contacts";

// HKCU\Software\Zelko\<store>\Anniversaries, which holds `total`, and its record k (from 1).
std::string anniversariesKey(std::string_view store);
std::string anniversaryKey(std::string_view store, int k);
// HKCU\Software\Zelko\<store>\Choose: the contact picked in the chooser.
std::string chooseKey(std::string_view store);

// Saves the picture of the contact read last into My Pictures as <oid as 8 lowercase hex
// digits>.jpg, after deleting the file of the older decimal name. An existing file is kept
// as it is. The picture's device path, or nullopt when the contact has none (no file is
// made then).
std::optional<std::string> saveContactPicture(Suite& suite, OutlookStore& store);

}  // namespace zelko::contacts
