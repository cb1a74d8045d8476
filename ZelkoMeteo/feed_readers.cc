#include "ZelkoMeteo/feed_readers.h"

#include "ZelkoMeteo/xml_cursor.h"

namespace zelko::meteo {

bool loadFeed(XmlDocument& doc, std::string_view document, ReadProgress& progress) {
  if (doc.load(document)) return true;
  progress.header("Error");
  return false;
}

}  // namespace zelko::meteo
