// The data grid benchmark's comparisons, one function each, in the files named beside them; each
// prints its figures on lines that contain the word "ratio".
#pragma once

// datagrid_draw_bench.cpp: a full repaint with the indicators and 1,000 selected rows against a
// plain ExtTextOutW/LineTo loop over the same texts and lines ("repaint").
void DataGridRepaintComparison();
