// Reading the vCard files that phones, mail programs and address books export, for
// `zelko-device contacts import`. Text in, contacts out: the caller reads the file and adds
// the contacts to the store, so a file that fails here adds nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/items.h"
#include "platform/status.h"

namespace zelko::device {

// Birthdays and anniversaries given without a year ("--0517") are kept on that day of
// 1604, the year address books use for the purpose: a leap year, so 29 February fits, and
// before the 1900 bound the birthday lists search from, so no age is ever made up.
constexpr int kNoYear = 1604;

struct VCardImport {
  std::vector<platform::NewContact> contacts;
  // With skipBad: "line N: what is wrong" for each card (or stray line between cards)
  // left out, in the order of the file.
  std::vector<std::string> skipped;
};

// Reads every card of a file, in order, each with its photo's bytes as the card carried
// them (JPEG, PNG...) as the picture. The file is UTF-8 (a BOM is skipped) or UTF-16 with
// a BOM; any line end (CR LF, LF, CR, CR CR LF). vCard 2.1, 3.0 and 4.0 are read with
// their own escapes, folding, quoted-printable (2.1, with soft line breaks and CHARSET) and
// inline photos (BASE64, ENCODING=b, data: URIs). A value that is not UTF-8 and names no
// CHARSET is read as Windows-1252, as old exporters meant.
//
// - Names come from N, else from FN.
// - TEL by its type: CELL, MOBILE or IPHONE to the mobile number, HOME to the home number,
//   WORK to the business number, the first of each kind (a PREF one before the others).
//   Fax, pager, ISDN, modem, BBS and text-telephone numbers are left out. Numbers without
//   one of these types then fill the slots still empty, in the order mobile, home,
//   business. A tel: URI is stored as the number to dial: visual separators dropped, an
//   extension after a comma, the phone's pause ("tel:+1-418-656-9254;ext=102" becomes
//   "+14186569254,102").
// - BDAY; the anniversary from ANNIVERSARY, X-ANNIVERSARY, X-MS-ANNIVERSARY,
//   X-EVOLUTION-ANNIVERSARY, or a grouped X-ABDATE whose X-ABLabel is the anniversary
//   label (as one desktop address book writes it).
// - CATEGORIES, and PHOTO.
//
// Errors are "line N: <what is wrong>" naming the property: a broken line, quoted-printable
// or base64, an impossible date, a BEGIN:VCARD inside a card (but for a 2.1 AGENT's own
// card, which is not a contact), a card without END:VCARD. Without skipBad the first error
// refuses the whole file; with it, each bad card is left out and named in `skipped`. A
// file without any card is an error either way.
platform::Result<VCardImport> parseVCards(std::string_view bytes, bool skipBad = false);

}  // namespace zelko::device
