// The routes of the sample weather server of `zelko-device feeds`: each service's path
// answers with its sample document (feed_documents.h) for the query it gets, and the map
// page points at its image on the same server. Any other path is not found.
//   /data.aspx?wealocations=wc:CODE&culture=..&weadegreetype=C|F     MSN weather data
//   /localmaps.aspx?wealocations=wc:CODE&setunit=..&map=NAME          MSN map page
//   /maps/NAME.jpg                                                    its image
//   /ig/api?weather=CODE&hl=LANG                                      Google weather API
//   /widget/kvexa/weather-data.asp?location=CODE&metric=1|0&lang=..   AccuWeather widget
#pragma once

#include <functional>

#include "platform/date_time.h"

namespace httplib {
class Server;
}

namespace zelko::device {

// The default port of `zelko-device feeds`, where the default ZelkoToday.ini points.
inline constexpr int kDefaultFeedsPort = 8080;

// `now` gives the date and time the documents are made for.
void addFeedRoutes(httplib::Server& server, std::function<platform::DateTime()> now);

}  // namespace zelko::device
