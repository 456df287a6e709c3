#pragma once

#include <QStringList>
#include <QTextStream>

namespace zelvora::datac {

// zelvora-datac match CITY STREETS.csv: the street matcher of the list check,
// for the import of the street directory. CITY is the file base of a city
// (its names and local designations); STREETS.csv has the columns `street`
// and `designation`. Each line of standard input is an address,
// "designation<TAB>address<TAB>flags" (the designation given apart, or empty;
// flags "cut" when the address's last word may be cut short); each gives one
// line on standard output:
//   outcome<TAB>rows<TAB>written designation<TAB>number<TAB>last<TAB>suffix<TAB>red<TAB>same side
// outcome "found" (rows: the street), "ambiguous" (rows: every street that
// fits as well) or "none" (rows: the streets that fit but for their
// designation); rows are 1-based data rows of STREETS.csv; the written
// designation is set when the street was taken under another designation;
// then the house number the address gives (0 when none), the last number
// of its range, its letter or suffix, 1 for a red number, 1 when every number
// of the range is of the first's side.
int matchAddresses(const QStringList &args, QTextStream &in, QTextStream &out, QTextStream &err);

// zelvora-datac shorten LIMIT: each line of standard input, a street name,
// shortened to LIMIT characters as the street file's long names are (see
// addressrules::shortenedName), one line each on standard output.
int shortenNames(const QStringList &args, QTextStream &in, QTextStream &out, QTextStream &err);

// zelvora-datac cities: the street directory's cities, as CSV:
// display_name,file_base,generic_cap,cadastral_code,province,other_names
// (other names joined by "|").
int printCities(QTextStream &out);

} // namespace zelvora::datac
