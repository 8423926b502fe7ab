#include "model/Fields.h"

const char16_t* const kFieldLabels[kFieldCount] = {u"Rank",     u"Timestamp", u"Source",
                                                   u"Message",  u"Category",  u"Severity"};
