// The birthdays page: Page5's five event slots (an image and a two-line label each) and
// Page1's event line, drawn from the records of the store "Contacts" whatever -reg says.
#pragma once

namespace zelko {
class Suite;
}

namespace zelko::contacts {

// Every slot of Page5 shows the blank image and no text.
void blankDisplay(Suite& suite);

// Fills the slots from records 1 to 5, or, when Page5 holds a personal note (Private),
// the note and its image (PrivatePNG) in slot A and records 1 to 4 after it; copies slot A
// to Page1; and without records or note shows the no-event text in slot A.
void composeDisplay(Suite& suite);

}  // namespace zelko::contacts
