// Text form descriptions <-> binary form streams, by syntax alone:
//
//   object Form1: TForm1            (or "inherited", "inline"; "Name: " optional;
//     Left = 192                     a child position as " [3]" after the class)
//     Caption = 'It''s'#13#10'ok'  + (strings: quotes, #nnn codes, adjacency, '+')
//       ' more'
//     Ratio = 1.5                    (suffix s single, c currency, d date)
//     Font.Style = [fsBold, fsItalic]
//     Items.Strings = (
//       'one'
//       'two')
//     Picture.Data = {
//       0A1B2C}
//     Columns = <
//       item
//         Width = 10
//       end>
//     OnClick = Button1Click
//     object Label1: TLabel
//     end
//   end
//
// Every value keeps its kind and its exact value both ways (floats print in the
// shortest form that reads back to the same 80-bit value), so text -> binary -> text
// reproduces the text. The one exception to "syntax alone" is a class registered with
// a design-state loader (ClassRegistry.h): its binary form has state after its
// children. To text, such a component is read through the class registry to find
// where it ends (its state has no text form: the text names its design-time data);
// to binary, the component is created, given its text properties, told to load its
// design-time data and then written by its own WriteState.
#pragma once

#include <string>

#include "platform/classes/Stream.h"
#include "platform/rtl/Exception.h"

// A syntax error in a text form: "Line 3: '=' expected".
class EParserError : public Exception {
public:
    using Exception::Exception;
};

// Input: the whole text (Windows-1252, CR LF or LF). Output: "TPF0" and the stream.
void ObjectTextToBinary(TStream& Input, TStream& Output);
// Input: a binary stream starting with "TPF0". Output: the text, LF line ends.
void ObjectBinaryToText(TStream& Input, TStream& Output);

std::string FormTextToBinary(const std::string& Text);
std::string FormBinaryToText(const std::string& Binary);

// The root object's class name of a text form ("TForm1"), or empty.
std::string TextFormClassName(const std::string& Text);
