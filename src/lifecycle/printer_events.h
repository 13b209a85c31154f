// The spooler's printer events: a queue is set up (INITIALIZE) or a
// client's cache of it refreshed (CACHE_REFRESH). Both leave on the queue
// and on disk what the rest of the driver package reads later.
#pragma once

#include <windows.h>

// The string-resource ids of the language module's date and time names,
// as the rendering side reads them from "DateTimeIDs".
const WORD L_IDR_WEEK_SUN = 14000;      // first short weekday name
const WORD L_IDS_WEEKNEW_SUN = 3923;    // first weekday name of the newer set
const WORD L_IDR_MONTH_JAN = 14007;     // first month name
const WORD L_IDS_AM1 = 3988;            // morning/afternoon markers
const WORD L_IDS_AM2 = 3997;
