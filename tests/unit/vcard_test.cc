#include "device/vcard.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/text.h"
#include "tests/unit/item_builders.h"

namespace zelko::device {
namespace {

using platform::DateTime;
using platform::NewContact;
using namespace std::string_literals;

std::string dataFile(const std::string& name) {
  auto path = std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / name;
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_TRUE(in.good()) << path;
  return text.str();
}

std::vector<NewContact> parseOk(std::string_view text) {
  auto result = parseVCards(text);
  EXPECT_TRUE(result.ok()) << result.status().message();
  return result.ok() ? result->contacts : std::vector<NewContact>{};
}

NewContact one(const std::string& version, const std::string& body) {
  auto cards = parseOk("BEGIN:VCARD\r\nVERSION:" + version + "\r\n" + body + "END:VCARD\r\n");
  if (cards.size() != 1) {
    ADD_FAILURE() << "expected one card";
    return {};
  }
  return cards[0];
}

std::string errorOf(std::string_view text) {
  auto result = parseVCards(text);
  EXPECT_FALSE(result.ok());
  return result.ok() ? "" : result.status().message();
}

using testing::at;

TEST(VCardFiles, PhoneExportInVersion21) {
  auto cards = parseOk(dataFile("phone_export_v21.vcf"));
  ASSERT_EQ(cards.size(), 3u);
  const auto& muller = cards[0].contact;
  EXPECT_EQ(muller.firstName, "Jürgen");
  EXPECT_EQ(muller.lastName, "Müller");
  EXPECT_EQ(muller.mobilePhone, "+49 171 1234567");
  EXPECT_EQ(muller.homePhone, "+49 30 1234567");
  EXPECT_EQ(muller.businessPhone, "+49 30 7654321") << "the fax number must not take the slot";
  EXPECT_EQ(muller.birthday, at(1975, 3, 14));

  // A soft line break in the middle of a name, and a custom label that looks like
  // parameters but is not an encoding.
  const auto& yamada = cards[1].contact;
  EXPECT_EQ(yamada.lastName, "山田");
  EXPECT_EQ(yamada.firstName, "太郎あいうえ");
  EXPECT_EQ(yamada.mobilePhone, "090-1234-5678");
  EXPECT_EQ(yamada.homePhone, "+81 3 1234 5678");

  const auto& lefevre = cards[2];
  EXPECT_EQ(lefevre.contact.lastName, "Lefèvre") << "ISO-8859-1 must be converted";
  EXPECT_EQ(lefevre.contact.firstName, "Renée");
  EXPECT_EQ(lefevre.contact.mobilePhone, "01 23 45 67 89") << "an untyped number fills the mobile first";
  EXPECT_EQ(lefevre.contact.anniversary, at(2001, 9, 8));
  ASSERT_EQ(lefevre.picture.size(), 73u);
  EXPECT_EQ(lefevre.picture.substr(0, 4), "\x89PNG");
}

TEST(VCardFiles, AddressBookExportInVersion30WithPhoto) {
  auto cards = parseOk(dataFile("address_book_v30.vcf"));
  ASSERT_EQ(cards.size(), 2u);
  const auto& c = cards[0].contact;
  EXPECT_EQ(c.firstName, "Siobhán");
  EXPECT_EQ(c.lastName, "O'Brien");
  EXPECT_EQ(c.mobilePhone, "+353 87 123 4567");
  EXPECT_EQ(c.businessPhone, "+353 1 234 5678");
  EXPECT_EQ(c.homePhone, "") << "a home fax is not a home number";
  EXPECT_EQ(c.birthday, at(1982, 11, 5));
  EXPECT_EQ(c.anniversary, at(2010, 6, 19));
  EXPECT_EQ(c.categories, "Friends, Book club, Thursdays");
  const std::string& photo = cards[0].picture;
  ASSERT_EQ(photo.size(), 73u);
  EXPECT_EQ(photo.substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(photo.substr(photo.size() - 8, 4), "IEND");

  EXPECT_EQ(cards[1].contact.homePhone, "+91 80 2345 6789");
  EXPECT_EQ(cards[1].contact.birthday, at(kNoYear, 7, 4));
  EXPECT_TRUE(cards[1].picture.empty());
}

TEST(VCardFiles, PhoneExportWithCrCrLfLineEnds) {
  // Folded photo lines and escapes must survive a line end of CR CR LF.
  auto cards = parseOk(dataFile("phone_crcrlf_v30.vcf"));
  ASSERT_EQ(cards.size(), 2u);
  EXPECT_EQ(cards[0].contact.lastName, "Okafor");
  EXPECT_EQ(cards[0].contact.mobilePhone, "+234 803 555 0101");
  EXPECT_EQ(cards[0].contact.birthday, at(1988, 2, 11));
  EXPECT_EQ(cards[0].picture.size(), 73u);
  EXPECT_EQ(cards[1].contact.businessPhone, "+961 1 555 0200");
}

TEST(VCardFiles, DesktopCardWithEveryKindOfNumber) {
  auto cards = parseOk(dataFile("desktop_phone_types_v30.vcf"));
  ASSERT_EQ(cards.size(), 1u);
  const auto& c = cards[0].contact;
  EXPECT_EQ(c.mobilePhone, "+36 30 555 0304") << "the typed mobile, not the ISDN, fax or modem line";
  EXPECT_EQ(c.businessPhone, "+36 1 555 0305");
  EXPECT_EQ(c.homePhone, "+36 1 555 0300") << "the first untyped number fills the slot left";
}

TEST(VCardFiles, AnniversariesInTheFormsOfOtherAddressBooks) {
  auto cards = parseOk(dataFile("anniversary_forms.vcf"));
  ASSERT_EQ(cards.size(), 3u);
  EXPECT_EQ(cards[0].contact.anniversary, at(2009, 8, 22));
  EXPECT_EQ(cards[1].contact.anniversary, at(2015, 5, 30));
  EXPECT_EQ(cards[2].contact.anniversary, at(2003, 10, 10)) << "only the date labelled as the anniversary";
}

TEST(VCardFiles, TelUrisBecomeNumbersToDial) {
  auto cards = parseOk(dataFile("rfc_v40_tel_uri.vcf"));
  ASSERT_EQ(cards.size(), 1u);
  EXPECT_EQ(cards[0].contact.businessPhone, "+14186569254,102") << "the extension after the phone's pause";
  EXPECT_EQ(cards[0].contact.mobilePhone, "+14182626501");
  EXPECT_EQ(cards[0].contact.homePhone, "5550123");
}

TEST(VCardFiles, OneDamagedPhotoLosesOnlyItsCardWhenAskedTo) {
  std::string file = dataFile("phone_six_cards_bad_photo.vcf");
  EXPECT_EQ(errorOf(file), "line 27: PHOTO: bad base64 data") << "by default a bad card refuses the file";
  auto read = parseVCards(file, true);
  ASSERT_TRUE(read.ok()) << read.status().message();
  ASSERT_EQ(read->contacts.size(), 5u);
  EXPECT_EQ(read->contacts[2].contact.lastName, "Zielinski");
  EXPECT_EQ(read->contacts[3].contact.lastName, "Lewandowski");
  EXPECT_EQ(read->contacts[1].picture.size(), 73u);
  EXPECT_EQ(read->skipped, std::vector<std::string>{"line 27: PHOTO: bad base64 data"});
}

TEST(VCardErrors, SkippingBadCardsKeepsTheGoodOnesAroundBrokenFrames) {
  // A card without END:VCARD, a stray line between cards and a broken line each cost
  // only their own card.
  auto read = parseVCards(
      "BEGIN:VCARD\r\nN:One;;;;\r\nBEGIN:VCARD\r\nN:Two;;;;\r\nEND:VCARD\r\nstray\r\n"
      "BEGIN:VCARD\r\nN Three\r\nEND:VCARD\r\nBEGIN:VCARD\r\nN:Four;;;;\r\nEND:VCARD\r\n",
      true);
  ASSERT_TRUE(read.ok()) << read.status().message();
  ASSERT_EQ(read->contacts.size(), 2u);
  EXPECT_EQ(read->contacts[0].contact.lastName, "Two");
  EXPECT_EQ(read->contacts[1].contact.lastName, "Four");
  EXPECT_EQ(read->skipped, (std::vector<std::string>{
                               "line 3: BEGIN:VCARD inside the card of line 1 (is its END:VCARD missing?)",
                               "line 6: expected BEGIN:VCARD, found \"stray\"",
                               "line 8: no ':' in \"N Three\""}));
}

TEST(VCardSyntax, Version40WithDataUriAndTelUri) {
  auto c = one("4.0",
               "FN:Zoë Ng\r\nN:Ng;Zoë;;;\r\nTEL;VALUE=uri;TYPE=\"work,voice\":tel:+1-555-0100\r\n"
               "TEL;TYPE=cell:tel:+1-555-0199\r\nANNIVERSARY:19990412T000000Z\r\nBDAY:--0229\r\n"
               "PHOTO:data:image/png;base64,iVBORw0KGgo=\r\n");
  EXPECT_EQ(c.contact.businessPhone, "+15550100");
  EXPECT_EQ(c.contact.mobilePhone, "+15550199");
  EXPECT_EQ(c.contact.anniversary, at(1999, 4, 12));
  EXPECT_EQ(c.contact.birthday, at(kNoYear, 2, 29)) << "the stand-in year must hold 29 February";
  EXPECT_EQ(c.picture, "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(one("4.0", "PHOTO:data:text/plain,a%20b\r\n").picture, "a b");
}

// One text field of one card, in each written form that reaches a different branch.
TEST(VCardSyntax, LineEndsFoldsEscapesCharsetsAndNames) {
  struct Case {
    const char* version;
    std::string body;
    std::string platform::Contact::*field;
    std::string expected;
  } cases[] = {
      // Each of LF, CR and CRLF ends a line; a fold drops exactly one blank or tab.
      {"3.0", "N:Lo\n ng;Fir\r\t st;;;\r\n", &platform::Contact::lastName, "Long"},
      {"3.0", "N:Lo\n ng;Fir\r\t st;;;\r\n", &platform::Contact::firstName, "Fir st"},
      {"3.0", "N:A\\;B\\,C\\\\D;E\\nF;;;\r\n", &platform::Contact::lastName, "A;B,C\\D"},
      {"3.0", "N:X;E\\nF;;;\r\n", &platform::Contact::firstName, "E\nF"},
      // 2.1 escapes only the semicolon; a backslash in a name stays.
      {"2.1", "N:C:\\new\\;x;Y;;;\r\n", &platform::Contact::lastName, "C:\\new;x"},
      {"2.1", "N;ENCODING=QUOTED-PRINTABLE;CHARSET=windows-1252:=80uro;=3D=\r\n=3D;;;\r\n",
       &platform::Contact::lastName, "€uro"},
      {"2.1", "N;QUOTED-PRINTABLE:a=3db\r\n", &platform::Contact::lastName, "a=b"},  // lower-case hex
      // Bytes that are not UTF-8 and name no charset are read as Windows-1252.
      {"2.1", "N:Fran\xE7ois;;;;\r\n", &platform::Contact::lastName, "François"},
      // Without a structured name the formatted one is split; with one it is ignored.
      {"3.0", "FN:Mary Ann Smith\r\n", &platform::Contact::firstName, "Mary Ann"},
      {"3.0", "FN:Mary Ann Smith\r\n", &platform::Contact::lastName, "Smith"},
      {"3.0", "FN:Cher\r\nN:;;;;\r\n", &platform::Contact::firstName, "Cher"},
      {"3.0", "FN:Ignored Name\r\nN:Kept;;;;\r\n", &platform::Contact::firstName, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(one(c.version, c.body).contact.*c.field, c.expected) << c.body;
  }
  EXPECT_EQ(one("3.0", "BDAY:19800517\r\n").contact.birthday, at(1980, 5, 17));
  EXPECT_EQ(one("3.0", "BDAY:1980-05-17T10:00:00Z\r\n").contact.birthday, at(1980, 5, 17));
  EXPECT_EQ(one("3.0", "X-MS-ANNIVERSARY:2004-02-29\r\n").contact.anniversary, at(2004, 2, 29));
  EXPECT_FALSE(one("4.0", "BDAY;VALUE=text:circa 1800\r\n").contact.birthday.has_value());
}

TEST(VCardSyntax, Version21InlineDataUnindentedAndEndedByABlankLine) {
  auto c = one("2.1", "PHOTO;BASE64;GIF:R0lG\r\nODlh\r\n\r\nN:After;Photo;;;\r\n");
  EXPECT_EQ(c.picture, "GIF89a");
  EXPECT_EQ(c.contact.lastName, "After");
}

TEST(VCardSyntax, FilesInUtf16AndWithBom) {
  std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Été;Ça;;;\r\nEND:VCARD\r\n";
  for (const std::string& bytes : {"\xEF\xBB\xBF" + card, "\xFF\xFE" + platform::utf8ToUtf16le(card)}) {
    auto cards = parseOk(bytes);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].contact.lastName, "Été");
  }
}

TEST(VCardFields, TypedNumbersTakeTheirSlotsFirstAndUntypedOnesFillTheRest) {
  auto c = one("3.0",
               "TEL:111\r\nTEL:222\r\nTEL;TYPE=CELL:333\r\nTEL:444\r\nTEL:555\r\nTEL;TYPE=PAGER:666\r\n");
  EXPECT_EQ(c.contact.mobilePhone, "333") << "the typed mobile, though untyped numbers come first";
  EXPECT_EQ(c.contact.homePhone, "111");
  EXPECT_EQ(c.contact.businessPhone, "222");
  // Within a kind the preferred number wins; numbers that are no voice line go nowhere.
  auto d = one("2.1", "TEL;ISDN:1\r\nTEL;HOME;FAX:2\r\nTEL;MODEM:3\r\nTEL;HOME:4\r\nTEL;HOME;PREF:5\r\n");
  EXPECT_EQ(d.contact.mobilePhone, "");
  EXPECT_EQ(d.contact.homePhone, "5");
  EXPECT_EQ(d.contact.businessPhone, "");
  EXPECT_EQ(one("3.0", "TEL;TYPE=WORK;TYPE=CELL:9\r\n").contact.mobilePhone, "9") << "cell wins over work";
}

TEST(VCardErrors, NameTheLineAndReturnNothing) {
  struct Case {
    std::string text, message;
  } cases[] = {
      {"", "no vCard in the file"},
      {"hello\r\n", "no vCard in the file"},
      {"hello\r\nBEGIN:VCARD\r\nEND:VCARD\r\n", "line 1: expected BEGIN:VCARD, found \"hello\""},
      {"BEGIN:VCARD\r\nN:a\r\n", "line 1: BEGIN:VCARD without END:VCARD"},
      {"BEGIN:VCARD\r\nEND:VCARD\r\nN:x\r\n", "line 3: expected BEGIN:VCARD, found \"N\""},
      {"BEGIN:VCARD\r\nVERSION:5.0\r\nEND:VCARD\r\n", "line 2: unsupported vCard version \"5.0\""},
      {"BEGIN:VCARD\r\nN a\r\n b:c\r\nEND:VCARD\r\n", "line 2: bad property name \"N ab\""},
      {"BEGIN:VCARD\r\nPHOTO;ENCODING=b:@@@@\r\nEND:VCARD\r\n", "line 2: PHOTO: bad base64 data"},
      {"BEGIN:VCARD\r\nN:a\0b\r\nEND:VCARD\r\n"s, "line 2: NUL character in the text"},
      {"BEGIN:VCARD\r\n\r\n N:x\r\nEND:VCARD\r\n", "line 3: stray continuation line \" N:x\""},
      // A card inside a card is no agent's card: its name must not be lost silently.
      {"BEGIN:VCARD\r\nVERSION:3.0\r\nBEGIN:VCARD\r\nN:Doe;John;;;\r\nEND:VCARD\r\nEND:VCARD\r\n",
       "line 3: BEGIN:VCARD inside the card of line 1"},
      {std::string("B\0E\0G\0I\0N\0:\0", 12), "line 1: the file is UTF-16 without a byte-order mark"},
      {std::string("\0B\0E\0G\0I\0N\0:", 12), "line 1: the file is UTF-16 without a byte-order mark"},
      // A broken escape is a broken file: keeping "=ZZ" as text would store garbage.
      {"BEGIN:VCARD\r\nVERSION:2.1\r\nN;QUOTED-PRINTABLE:a=ZZb;x\r\nEND:VCARD\r\n",
       "line 3: N: broken quoted-printable escape \"=ZZ\""},
      {"BEGIN:VCARD\r\nN;CHARSET=klingon:x\r\nEND:VCARD\r\n", "line 2: unknown CHARSET"},
  };
  for (const Case& c : cases) {
    auto result = parseVCards(c.text);
    ASSERT_FALSE(result.ok()) << c.text;
    EXPECT_EQ(result.status().message().rfind(c.message, 0), 0u) << result.status().message();
    EXPECT_EQ(result.status().message().find('\n'), std::string::npos);
  }
  for (const char* bad : {"1980-02-30", "1980-5-17", "17.05.1980", "19800517x", "--1332", "1500-01-01", ""}) {
    std::string error = errorOf(std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nBDAY:") + bad + "\r\nEND:VCARD\r\n");
    EXPECT_EQ(error.rfind("line 3: BDAY: bad date", 0), 0u) << bad << ": " << error;
  }
  // A good card before a bad one is not returned on its own.
  EXPECT_FALSE(parseVCards(dataFile("address_book_v30.vcf") + "BEGIN:VCARD\r\nBDAY:x\r\nEND:VCARD\r\n").ok());
}

TEST(VCardErrors, AnAgentsCardInsideACardIsNotAContact) {
  auto cards = parseOk("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Boss;;;;\r\nAGENT:\r\nBEGIN:VCARD\r\nN:Agent;;;;\r\n"
                       "END:VCARD\r\nTEL;CELL:1\r\nEND:VCARD\r\n");
  ASSERT_EQ(cards.size(), 1u);
  EXPECT_EQ(cards[0].contact.lastName, "Boss");
  EXPECT_EQ(cards[0].contact.mobilePhone, "1");
}

}  // namespace
}  // namespace zelko::device
