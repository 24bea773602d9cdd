#pragma once

// Qt's own texts (the standard buttons, the file, print and page setup windows)
// in Brazilian Portuguese whatever the machine's language. Needs the
// application object; installing a second time does nothing.
void instalarTraducaoQt();
