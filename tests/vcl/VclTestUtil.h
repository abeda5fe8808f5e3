// Loading forms from their text in tests.
#pragma once

#include <string>

#include "platform/classes/Filer.h"
#include "platform/classes/Stream.h"
#include "platform/classes/TextForm.h"
#include "platform/vcl/Forms.h"

// Reads the text form description into Form, as a form resource would be read.
inline void LoadFormText(TComponent* Form, const std::string& Text)
{
    std::string binary = FormTextToBinary(Text);
    TReadOnlyMemoryStream s(binary.data(), int64_t(binary.size()));
    TReader r(s);
    r.ReadRootComponent(Form);
}
