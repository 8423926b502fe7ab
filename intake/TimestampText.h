// The texts and values the drain derives from a record's FILETIME.
#pragma once
#include "framework/Types.h"
#include "framework/TimePort.h"

// "yyyy/mm/dd hh:mm:ss.mmm  (UTC)", or in local time with the zone's base
// offset "(hh:mm)". A time the platform cannot split gets a placeholder.
String TimestampText(TimePort* time, uint64_t utc, bool localize);
// The NewEvent date: local time as an automation DATE to the whole second;
// 0.0 when a conversion fails.
double NewEventDate(TimePort* time, uint64_t utc);
// "%d" of the severity read as signed.
String SeverityText(uint32_t severity);
