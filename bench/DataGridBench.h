// The data grid benchmark's comparisons, one function each, in the files named beside them; each
// prints its figures on lines that contain the word "ratio".
#pragma once

// datagrid_draw_bench.cpp: a full repaint with the indicators and 1,000 selected rows against a
// plain ExtTextOutW/LineTo loop over the same texts and lines ("repaint").
void DataGridRepaintComparison();

// datagrid_smooth_bench.cpp: the smooth grid's page step and thumb jump at 10,000,000 records
// against 10,000, and the heap the grid adds at each size.
void SmoothSteps();
void SmoothMemory();
