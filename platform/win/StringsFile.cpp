#include "platform/win/StringsFile.h"

#include "platform/win/FileStream.h"
#include "platform/win/SysFiles.h"

void LoadStringsFromFile(TStrings& Strings, const std::string& FileName)
{
    TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
    Strings.LoadFromStream(f);
}

void SaveStringsToFile(const TStrings& Strings, const std::string& FileName)
{
    TFileStream f(FileName, fmCreate);
    Strings.SaveToStream(f);
}
