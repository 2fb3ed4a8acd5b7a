// The gallery's sections: each fills its band with samples of one part of the library.
#pragma once
#include "GalleryBand.h"

// Pitched labels: a hand-set pitch, a self pitch filling a fixed width, right alignment, word wrap.
void AddLabelSamples(TGalleryBand& Band);
// Glyph buttons: every kind enabled and disabled, and a custom glyph in each layout.
void AddButtonSamples(TGalleryBand& Band);
// Panels with and without accelerator characters and with each bevel, and images.
void AddPanelSamples(TGalleryBand& Band);
// Buttons that show the message dialog with the usual button sets, icons and sub-messages.
void AddMessageDialogSamples(TGalleryBand& Band);
// File operations on a scratch folder, with the progress window shown.
void AddFileOperationSamples(TGalleryBand& Band);
// A drawing grid of a million rows: fixed rows and columns, column colours and fonts, a thick
// row line, cell lines, a hidden column; it scrolls with the bars and the wheel.
void AddDrawGridSamples(TGalleryBand& Band);
// String grids: Japanese texts, multi-line cells with a line of its own font and alignment,
// column colours, row and cell lines; a button saves one grid to a file and loads it into the other.
void AddStringGridSamples(TGalleryBand& Band);
// Message labels holding a long Japanese message: wrapped with pitch, and unwrapped with a
// horizontal scroll; selectable and copyable, with both scroll bars.
void AddMessageLabelSamples(TGalleryBand& Band);
// Buttons that scale the window between the form base widths 640, 800, 1024 and 1280 (640 is no
// change on Windows XP or later) and remember the choice beside the program.
void AddFormBaseSamples(TGalleryBand& Band);
// An editable data grid over a memory table: rows selected with Shift and Ctrl, deleted with
// Ctrl+Delete after the confirmation dialog, copied with Ctrl+C, appended below the last row.
void AddEditableDataGridSamples(TGalleryBand& Band);
// A data grid scrolling smoothly over a million in-memory records, with a thick line under every
// fifth record and whole-page paging that keeps the cursor's screen row.
void AddSmoothDBGridSamples(TGalleryBand& Band);
