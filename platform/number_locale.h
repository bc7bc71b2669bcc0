#pragma once
// Every number this program writes or reads (files, readouts, typed values) uses the point as
// its decimal mark, whatever language the desktop speaks.

namespace tarvisk {

// Qt's application object sets the C library's locale from the environment, and under a
// decimal-comma locale every printf would then write "12,50" and strtod stop at the point.
// Call right after the application object is created, before any other thread starts; the
// rest of the locale (messages, character set) stays as the user chose.
void UsePointAsDecimalMark();

}  // namespace tarvisk
