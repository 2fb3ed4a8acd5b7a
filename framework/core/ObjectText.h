// The text form of a component stream, for people to read and compare:
//
//     object Grid1: TssDrawGrid
//       ColCount = 8
//       Options = [goFixedVertLine, goEditing]
//       Font.Name = 'Tahoma'
//       ColWidths = (
//         64
//         30)
//       Columns = <
//         item
//           FieldName = 'ID'
//         end>
//       object Child: TssPanel
//       end
//     end
//
// Strings are quoted with ' (doubled inside); a character below a blank, or half of a broken
// UTF-16 pair, is written as #n. The text is UTF-8. Binary values are hexadecimal in braces.
#pragma once
#include "Streams.h"

SS_EXCEPTION(EParserError, EReadError)

// Converts one component from the binary form at input's position to text, and back. Malformed
// input raises EReadError (EParserError, with the line, for text); nothing is written then.
void ObjectBinaryToText(TStream& input, TStream& output);
void ObjectTextToBinary(TStream& input, TStream& output);
