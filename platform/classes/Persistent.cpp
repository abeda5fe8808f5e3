#include "platform/classes/Persistent.h"

void TPersistent::Assign(const TPersistent* Source)
{
    if (Source) {
        Source->AssignTo(this);
        return;
    }
    throw EConvertAssign("Cannot assign a nil to a " + ClassName());
}

void TPersistent::AssignTo(TPersistent* Dest) const
{
    std::string dest = Dest ? Dest->ClassName() : "nil";
    throw EConvertAssign("Cannot assign a " + ClassName() + " to a " + dest);
}
