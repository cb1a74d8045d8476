// What the user can do with a listed text or a number: send a text, open the phone's
// message composer, call, show the text as a notification bubble, mark texts read and
// delete them.
#pragma once

#include <chrono>
#include <string_view>

namespace zelko {
class Suite;
}

namespace zelko::sms {

// How long sending waits for the SMS library to get ready before it gives up: the phone's
// library may never signal, and a program started from a menu must end.
inline constexpr std::chrono::milliseconds kSmsReadyWait{5000};
// How long the notification bubble stays.
inline constexpr std::chrono::milliseconds kBubbleTime{10000};

// Sends `text` to `number`; nothing when either is empty.
void sendText(Suite& suite, std::string_view number, std::string_view text);
// Opens \Windows\tmail.exe on a new text to `number`; nothing when it is empty.
void openComposer(Suite& suite, std::string_view number);
// Calls `number` through the phone library; nothing when it is empty.
void call(Suite& suite, std::string_view number);
// Shows record n of `storeName` as a notification bubble for kBubbleTime, then removes it.
void notify(Suite& suite, std::string_view storeName, int n);

// `which` is a record number of `storeName`, or "all" (mark: every unread text; delete:
// every text), or for delete "unread". A record acts on the message it was listed from,
// or on none when that message is gone.
void markRead(Suite& suite, std::string_view storeName, std::string_view which);
void deleteMessages(Suite& suite, std::string_view storeName, std::string_view which);

}  // namespace zelko::sms
