#pragma once

class QComboBox;
class QDateEdit;

namespace tabel {

// A date picker in Russian (month and weekday names, weeks from Monday)
// whatever the desktop's language; dates typed as DD.MM.YYYY. Tab leaves
// the picker instead of walking through its day, month and year.
void setUpDatePicker(QDateEdit *picker);

// A drop-down over a table of the plant's that may hold long captions and
// many rows: it keeps a sensible width and shows at most that many rows,
// scrolling the rest.
void setUpChoiceList(QComboBox *box, int visibleRows = 10);

// Gives back what the program's hidden windows hold: the toolkit keeps a
// window's drawing surface for its next showing (megabytes for the large
// sheets, for each of the dozen windows the program keeps for the whole
// run), and memory freed meanwhile stays with the process (a previewed
// report takes and frees tens of megabytes). A window shown again draws
// itself anew. Run when the user comes back to the journal.
void releaseHiddenWindows();

} // namespace tabel
