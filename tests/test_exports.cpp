// The exported routines without process-wide state, called through their
// plain names as a Fortran host calls them (tests/host_calls.h): one row per
// routine, the characters and values the host sees against the texts due.
// The inputs are picked so that a length, argument or logical that a shim
// passes wrongly changes what the host sees: texts of unequal lengths (a
// length given for another text, or a text read to the result's length,
// shows); keys whose first character, or a line's first characters, match
// earlier in the line; ICOL, default and NOTFOUND values that differ from
// what a routine would take otherwise; doubles and 64-bit integers that a
// float or a 32-bit integer cannot hold.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <set>
#include <string>

#include "host_calls.h"
#include "test_support.h"

// The routines as a host declares them.
extern "C" {
using host::logical;
using std::size_t;
using text_function = void(char*, size_t, const char*, size_t);
text_function TRIMF, REMOVEQUOTES, UPPERCASE, LOWERCASE, FILENAMEPATH, FILEEXT, FILENAME, FILEEXTKC, FILENAMEEXT,
    FILEFOLDERPATH, FILENAMENO_, FILE___EXT, FILENAMEPATHNO_, REMOVEDOTDOT, REMOVESPACES, CLEANATTRIBUTENAME,
    DOUBLEQUOTE;
using rewriting_test = logical(char*, size_t);
rewriting_test NUMBERLINE, POSITIVEINTEGERNUMBER, BLANK, COMMENTLINE;
using pair_test = logical(const char*, const char*, size_t, size_t);
pair_test ASAME, ASAMECS, FLAGEXISTS, READGIS, WRITEGIS, READROWCOL;
void SS256(char* out, const char* str, size_t, size_t);
logical FLAGEXISTSRET(const char* line, const char* flag, char* rest, size_t, size_t, size_t);
logical CHECKLINE(const char* line, const char* key, const char* sep, const std::int32_t* ncol, char* value,
                  char* command, size_t, size_t, size_t, size_t, size_t);
void ADDFOLDER(char*, size_t, const char* folder, const char* file, size_t, size_t);
void CLEANPATH(char*, size_t, char* path, size_t);
void AINTEGER(char*, size_t, const std::int32_t*);
void AINTEGER8(char*, size_t, const std::int64_t*);
void AINTEGERPREC0(char*, size_t, const std::int32_t*, const std::int32_t* ndig);
void AINTEGER8PREC0(char*, size_t, const std::int64_t*, const std::int32_t* ndig);
void AREAL(char*, size_t, const float*);
void AREAL8(char*, size_t, const double*);
void AREALD(char*, size_t, const float*, const std::int32_t* d);
void AREALD8(char*, size_t, const double*, const std::int32_t* d);
std::int32_t NUMBEROFNUMBERS(const char*, size_t);
logical CHECKINT(const char*, std::int32_t*, size_t);
logical CHECKINT4(const char*, std::int32_t*, size_t);
logical CHECKINT8(const char*, std::int64_t*, size_t);
std::int32_t NUMBEROFSUBSTRINGS(char* str, const char* sep, size_t, size_t);
void SUBSTRING(char*, size_t, const char* str, const char* sep, const std::int32_t* n, size_t, size_t);
double URBSDATEHOURS(const char*, size_t);
std::int32_t NUMBEROFDAYS(const char*, size_t);
std::int32_t LENSL(char*, size_t);
void ALPHANUMERICONLY(char*, size_t, const char* str, const char* ch, size_t, size_t);
using replacing_function = void(char*, size_t, const char* str, const char* old, const char* neu, size_t, size_t,
                                size_t);
replacing_function REPLACE, REPLACEALL;
std::int32_t CSVCOLUMN(const char* line, const char* name, const std::int32_t* notfound, size_t, size_t);
logical CSVVALUE(const char* line, const std::int32_t* icol, float* value, size_t);
std::int32_t EXTRACTINTEGER(const char* line, const char* lcline, const char* key, const std::int32_t* icol,
                            const std::int32_t* default_value, size_t, size_t, size_t);
float EXTRACTREAL(const char* line, const char* lcline, const char* key, const std::int32_t* icol,
                  const float* default_value, size_t, size_t, size_t);
using extracting_function = void(char*, size_t, const char* line, const char* lcline, const char* key,
                                 const std::int32_t* icol, size_t, size_t, size_t);
extracting_function EXTRACTSTRING, EXTRACTSTRINGREM;
}

namespace {

using namespace host;

struct Row {
  const char* name;
  std::string (*seen)();
  std::string want;
};

// Texts are shorter (cut), as long as, or longer (padded) than the result
// variable; unwritten characters would show as '?', writes past its end as a
// test failure.
const Row kRows[] = {
    // text basics
    {"SS256", [] { Chars out(260); call(SS256, out, " ab "); return out.text(); },
     " ab" + std::string(253, ' ') + "????"},
    {"TRIMF", [] { return text_of(TRIMF, 9, "  a b  "); }, "a b      "},
    {"NUMBERLINE", [] { Chars s("  -1.5 x"); return show(call(NUMBERLINE, s), s); }, "-1|-1.5 x  "},
    {"POSITIVEINTEGERNUMBER", [] { Chars s("  12 "); return show(call(POSITIVEINTEGERNUMBER, s), s); }, "-1|12   "},
    {"BLANK", [] { Chars s(" \t \t"); return show(call(BLANK, s), s); }, "-1|    "},
    {"ASAME", [] { return show(call(ASAME, "'Abc'  ", "ABC")); }, "-1"},
    {"ASAMECS", [] { return show(call(ASAMECS, " \"abc\"", "abc"), call(ASAMECS, "abc", "ABC")); }, "-1|0"},
    {"REMOVEQUOTES", [] { return text_of(REMOVEQUOTES, 4, "'a\"b'c"); }, "abc "},
    {"UPPERCASE", [] { return text_of(UPPERCASE, 8, " ab1c"); }, " AB1C   "},
    {"LOWERCASE", [] { return text_of(LOWERCASE, 8, "Ab C"); }, "ab c    "},
    // keyword and line tests
    {"FLAGEXISTS", [] { return show(call(FLAGEXISTS, "Read GIS x", "gis  "), call(FLAGEXISTS, "Read grid", "gis")); },
     "-1|0"},
    {"FLAGEXISTSRET", [] { Chars rest(5); return show(call(FLAGEXISTSRET, "x key= val  ", "KEY=", rest), rest); },
     "-1| val "},
    {"READGIS",
     [] { return show(call(READGIS, "read gis pipes.mif", "Pipes.mif  "), call(READGIS, "read gis p", "pit")); },
     "-1|0"},
    {"WRITEGIS", [] { return show(call(WRITEGIS, "Write MI out", "out"), call(WRITEGIS, "Write MI out", "our")); },
     "-1|0"},
    {"READROWCOL",
     [] { return show(call(READROWCOL, "Read RowCol grid ", "grid"), call(READROWCOL, "Read RowCol grid", "grit")); },
     "-1|0"},
    // At the separator, then at column 6 when the separator is blank.
    {"CHECKLINE",
     [] {
       Chars value(6), command(12), v(10), c(6);
       return show(call(CHECKLINE, "Start Time == 12.5", "start", "==", 0, value, command), value, command,
                   call(CHECKLINE, "Steps 20 40 60", "stepz", " ", 6, v, c), v, c);
     },
     "-1| 12.5 |Start Time  |0|20 40 60  |Steps "},
    // file names and paths
    {"FILENAMEPATH", [] { return text_of(FILENAMEPATH, 9, "C:\\d\\run.1.csv"); }, "C:\\d\\run."},
    {"FILEEXT", [] { return text_of(FILEEXT, 5, "a/B.CSV"); }, ".csv "},
    {"FILENAME", [] { return text_of(FILENAME, 6, "dir\\name.ext"); }, "name  "},
    {"FILEEXTKC", [] { return text_of(FILEEXTKC, 3, "a/B.CSV"); }, ".CS"},
    {"FILENAMEEXT", [] { return text_of(FILENAMEEXT, 6, "d/f.ts1"); }, "f.ts1 "},
    {"FILEFOLDERPATH", [] { return text_of(FILEFOLDERPATH, 4, "ab/c/d.txt"); }, "ab/c"},
    {"FILENAMENO_", [] { return text_of(FILENAMENO_, 7, "d/run_1_max.csv"); }, "run_1  "},
    {"FILE___EXT", [] { return text_of(FILE___EXT, 6, "d/run_MAX.csv"); }, "_max  "},
    {"FILENAMEPATHNO_", [] { return text_of(FILENAMEPATHNO_, 9, "d_1/run_1_max.csv"); }, "d_1/run_1"},
    {"REMOVEDOTDOT", [] { return text_of(REMOVEDOTDOT, 10, "a\\b\\..\\c.txt"); }, "a\\c.txt   "},
    {"ADDFOLDER", [] { return text_of(ADDFOLDER, 12, "C:\\m\\", "..\\f.csv"); }, "C:\\f.csv    "},
    {"CLEANPATH", [] { Chars p("  a//bc"); const std::string r = text_of(CLEANPATH, 6, p); return show(r, p); },
     "a/bc  |a/bc   "},
    // number texts
    {"AINTEGER", [] { return text_of(AINTEGER, 4, -42); }, "-42 "},
    {"AINTEGER8", [] { return text_of(AINTEGER8, 12, std::int64_t{-5000000000}); }, "-5000000000 "},
    {"AINTEGERPREC0", [] { return text_of(AINTEGERPREC0, 5, 7, 3); }, "007  "},
    {"AINTEGER8PREC0", [] { return text_of(AINTEGER8PREC0, 12, std::int64_t{5000000000}, 12); }, "005000000000"},
    {"AREAL", [] { return text_of(AREAL, 6, 2.5f); }, "2.5   "},
    {"AREAL8", [] { return text_of(AREAL8, 12, 1.23456789); }, "1.23456789  "},
    {"AREALD", [] { return text_of(AREALD, 6, 3.14159f, 2); }, "3.14  "},
    {"AREALD8", [] { return text_of(AREALD8, 12, -1.1, 8); }, "-1.10000000 "},
    {"NUMBEROFNUMBERS", [] { return show(call(NUMBEROFNUMBERS, "1 2.5 -3 ! 4")); }, "3"},
    {"CHECKINT", [] { std::int32_t v = 7; return show(call(CHECKINT, " 42 ", v), v); }, "-1|42"},
    {"CHECKINT4", [] { std::int32_t v = 7; return show(call(CHECKINT4, "-3", v), v); }, "-1|-3"},
    {"CHECKINT8", [] { std::int64_t v = 7; return show(call(CHECKINT8, " 5000000000", v), v); }, "-1|5000000000"},
    {"NUMBEROFSUBSTRINGS",
     [] {
       Chars s("a,\tb,c");
       return show(call(NUMBEROFSUBSTRINGS, s, ","), s, call(NUMBEROFSUBSTRINGS, "a, b,c", ", "));
     },
     "3|a,b,c |2"},
    {"SUBSTRING", [] { return text_of(SUBSTRING, 4, "a, bc ,d", ",", 2); }, "bc  "},
    // dates
    {"URBSDATEHOURS", [] { return show(call(URBSDATEHOURS, "Mon Jan 01 1990 06:31")); }, "788934.51666665077"},
    {"NUMBEROFDAYS", [] { return show(call(NUMBEROFDAYS, "20000102")); }, "2"},
    // text measured up to its blanks and NULs
    {"LENSL", [] { Chars s("ab  "); return show(call(LENSL, s), s); }, std::string("2|ab\0 ", 6)},
    // text transforms
    {"REMOVESPACES", [] { return text_of(REMOVESPACES, 5, " a b\tc "); }, "ab\tc "},
    {"ALPHANUMERICONLY",
     [] { return text_of(ALPHANUMERICONLY, 2, "  ab", " ") + text_of(ALPHANUMERICONLY, 6, "a-b c", "_"); }, "X a_b_c "},
    {"CLEANATTRIBUTENAME", [] { return text_of(CLEANATTRIBUTENAME, 4, "a-b_1"); }, "ab_1"},
    {"DOUBLEQUOTE", [] { return text_of(DOUBLEQUOTE, 8, " a\"b "); }, " a\"\"b   "},
    {"REPLACE", [] { return text_of(REPLACE, 12, "a XX b xx", "xx ", "WXYZ"); }, "a WXYZ b xx "},
    {"REPLACEALL", [] { return text_of(REPLACEALL, 10, "ab cd e", "cd", "wxyz"); }, "ab wxyz e "},
    // CSV fields and keyword values
    {"CSVCOLUMN", [] { return show(call(CSVCOLUMN, "a,'Flow',c", "FLOW", -1), call(CSVCOLUMN, "a", "b", -9)); },
     "2|-9"},
    {"CSVVALUE", [] { float v = -1; return show(call(CSVVALUE, "x, 2.5 ,y", 2, v), v); }, "-1|2.5"},
    // After the key, from field ICOL when the key is absent, the default when
    // that field is empty.
    {"EXTRACTINTEGER",
     [] {
       return show(call(EXTRACTINTEGER, "Ns=1,x=3, Steps = 12", "ns=1,x=3, steps = 12  ", "steps", 0, 5),
                   call(EXTRACTINTEGER, "a, 7 ,c", "a, 7 ,c", "k", 2, 5),
                   call(EXTRACTINTEGER, "a,,c", "a,,c", "k", 2, -7));
     },
     "12|7|-7"},
    {"EXTRACTREAL",
     [] {
       return show(call(EXTRACTREAL, "D=1,x=2, Dt = 0.25", "d=1,x=2, dt = 0.25  ", "dt", 0, 1.0f),
                   call(EXTRACTREAL, "A,b, 2.5", "a,b, 2.5", "dt", 3, 1.0f),
                   call(EXTRACTREAL, "a,,c", "a,,c", "dt", 2, -7.5f));
     },
     "0.25|2.5|-7.5"},
    {"EXTRACTSTRING",
     [] {
       return show(text_of(EXTRACTSTRING, 12, "N=0,x=1, Name='Big Creek'", "n=0,x=1, name='big creek'   ", "name", 0),
                   text_of(EXTRACTSTRING, 4, "a, b c ,d", "a, b c ,d", "k", 2));
     },
     "Big Creek   |b c "},
    {"EXTRACTSTRINGREM",
     [] {
       return show(text_of(EXTRACTSTRINGREM, 12, "a,B,C d,e", "a,b,c d,e   ", "k", 3),
                   text_of(EXTRACTSTRINGREM, 6, "N=0,x=1, Note = A, b", "n=0,x=1, note = a, b", "note", 0));
     },
     "C d,e       |A, b  "},
    // line reading
    {"COMMENTLINE",
     [] { Chars s("  x ! c"), t("  # x"); return show(call(COMMENTLINE, s), s, call(COMMENTLINE, t), t); },
     "0|x      |-1|     "},
};
const Tested kRowsTested(kRows);

TEST(Exports, EachRoutineAsAHostCallsIt) {
  // A value passed wrongly can make a routine end the run (a number it
  // cannot read, a key without "="): that row fails and the others still run.
  testing_support::Console con;
  for (const Row& r : kRows) {
    try {
      EXPECT_EQ(r.seen(), r.want) << r.name;
    } catch (const platform::ProcessEnded&) {
      ADD_FAILURE() << r.name << " ended the run: " << con.text();
    }
  }
}

// Every exported name is called by one row here or one test of
// test_exports_state.cpp: the names those entered (host::tested()) are the
// exports.
TEST(Exports, EveryExportedNameIsCalled) {
  std::set<std::string> called;
  for (const auto& [name, times] : host::tested()) {
    EXPECT_EQ(times, 1) << name << " is entered by more than one row or test";
    called.insert(name);
  }
  std::ifstream list(FLOWTAB_SOURCE_DIR "/exports/exports.dynlist");
  std::set<std::string> exported;
  for (std::string word; list >> word;)
    if (word != "{" && word != "};") exported.insert(word.substr(0, word.find(';')));
  EXPECT_EQ(called, exported);
}

}  // namespace
