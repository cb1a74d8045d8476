// The message records the listing keeps under HKCU\Software\Zelko\<store name>\Sms<n>,
// newest first, and what the actions read back from them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelko {
class Suite;
}

namespace zelko::sms {

// The store name of the records: "Sms", or the value of -reg.
inline constexpr std::string_view kDefaultStoreName = "Sms";

// Software\Zelko\<name> and Software\Zelko\<name>\Sms<n>.
std::string storeKey(std::string_view storeName);
std::string recordKey(std::string_view storeName, int n);

// Value names of a record.
inline constexpr std::string_view kSender = "sender";
inline constexpr std::string_view kUnread = "unread";
inline constexpr std::string_view kSubject = "subject";
inline constexpr std::string_view kDateTime = "datetime";
inline constexpr std::string_view kMobilePhone = "mobilePhone";
inline constexpr std::string_view kHomePhone = "homePhone";
inline constexpr std::string_view kBusinessPhone = "businessPhone";
inline constexpr std::string_view kPicture = "picture";
// The message's entry id in the store, in decimal: -mark:n and -delete:n act on the
// message the record was listed from, even when texts arrived or went since.
inline constexpr std::string_view kEntryId = "entryid";
inline constexpr std::string_view kTotal = "total";

struct MessageRecord {
  std::string sender, subject;
  bool unread = false;
  std::string mobilePhone, homePhone, businessPhone;
  std::optional<uint64_t> entryId;

  // The number a reply goes to and the menu offers: the contact's mobile number, else
  // the sender as the phone shows it.
  const std::string& number() const { return mobilePhone.empty() ? sender : mobilePhone; }
  // The number -call dials: the sender, else the mobile number, else the home number.
  // A sender that is a contact's name rather than a number is not dialled: the phone
  // shows a known sender by name, and calling the name would call nobody.
  const std::string& callNumber() const;
};

// Record n of the store name; all empty when there is none.
MessageRecord readRecord(Suite& suite, std::string_view storeName, int n);

// Whether `text` can be dialled: digits with the signs a telephone number is written
// with (+ * # blanks - . / and parentheses), at least one digit.
bool isDialable(std::string_view text);

// The entry id as the record keeps it; nullopt for anything but decimal digits.
std::optional<uint64_t> parseEntryId(std::string_view text);

}  // namespace zelko::sms
