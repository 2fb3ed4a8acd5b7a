// The data grid benchmark's comparisons, one function each, in the files named beside them; each
// prints its figures on lines that contain the word "ratio".
#pragma once
