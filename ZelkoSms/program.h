// ZelkoSms, the text-message provider: lists the newest texts of the phone's inbox on the
// home screen's Page4 and carries out what the user asks of one of them. One run does one
// thing, chosen by the first switch present in this order: -infos (home-screen mode
// only), -phone, -sms, -reply, -mark, -action, -call, -notify; otherwise an optional
// -delete and the listing (-max, -read:all), with the display in home-screen mode.
#pragma once

namespace zelko {
class Suite;
}

namespace zelko::sms {

// Runs the program on a suite whose start-up has been made; its exit code: 0 after the
// listing or -infos, 1 after any other action or for a bad -reg name.
int run(Suite& suite);

}  // namespace zelko::sms
