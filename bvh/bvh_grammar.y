/* The BVH grammar: the accepted dialect and the actions that build the
 * skeleton and fill the channels while the file is read. Error recovery is
 * the parser generator's own; only the motion section has error rules, so a
 * fault in the hierarchy gives up the parse with what was built. */

%code requires {
#include <string>
typedef void* yyscan_t;
namespace Kvat { namespace Bvh { struct BvhLoad; } }
}

%code {
#include <cstdio>
#include <cstring>
#include <string>

#include "bvh_load.h"
#include "bvh_root.h"

int bvhlex(BVHSTYPE* value, yyscan_t scanner);
void bvherror(yyscan_t scanner, Kvat::Bvh::BvhLoad* load, const char* message);

// The two motion-section reports, in the Shift_JIS bytes the reader prints.
#define BVH_MOTION_REPORT                                                        \
  "----> %05d MOTION \x83\x47\x83\x89\x81\x5b\x82\xaa\x94\xad\x90\xb6\x82\xb5\x82\xdc" \
  "\x82\xb5\x82\xbd !! \n"
#define BVH_FRAMES_REPORT                                                                \
  "----> %05d FRAMES atari\x82\xc5\x83\x47\x83\x89\x81\x5b\x82\xaa\x94\xad\x90\xb6\x82\xb5" \
  "\x82\xdc\x82\xb5\x82\xbd !! \n"

// The stack holds the start state and 200 more and never grows.
#define YYINITDEPTH 202
#define YYMAXDEPTH 202

// A full stack is reported in the reader's own words.
static const char* bvhMessage(const char* message) {
  return std::strcmp(message, "memory exhausted") == 0 ? "parser stack overflow" : message;
}
#define YY_(Msgid) bvhMessage(Msgid)

#define ROOT_BUILT (load->root)

// A row has ended and the parser, not recovering from an error, takes any
// further rows as they come: the scanner's input may take lines of numbers
// itself (see Kvat::Bvh::readLine).
#define ROWS_FOLLOW() (load->rowsFollow = !YYRECOVERING())

// A motion-section report, numbered with the line counter, on the load's output.
static void motionReport(Kvat::Bvh::BvhLoad* load, const char* format) {
  char text[128];
  const int n = std::snprintf(text, sizeof text, format, load->line);
  if (n > 0) load->diagnostics.output(text, static_cast<std::size_t>(n) < sizeof text ? n : sizeof text - 1);
}
}

%define api.pure full
%define api.prefix {bvh}
%lex-param {yyscan_t scanner}
%parse-param {yyscan_t scanner} {Kvat::Bvh::BvhLoad* load}

%union {
  int ival;
  float fval;
  const char* sval;
}

%token HIERARCHY 260 ROOT 261 OFFSET 262 CHANNELS 263 JOINT 264 END 265
%token MOTION 266 FRAMES 267 FRAME 268 TIME 269
%token <sval> IDENT 273
%token <ival> INTEGER 274
%token <fval> REAL 275
%token <sval> STRING 276
%type <fval> number

%%

file
  : sections
  ;

sections
  : %empty
  | sections section
  ;

section
  : HIERARCHY root
  | MOTION '\n' motion_body
  ;

root
  : ROOT IDENT { ROOT_BUILT->setTopName($2); } '{' items '}'
  ;

items
  : item
  | items item
  ;

item
  : offset
  | channels
  | joint
  | end_site
  ;

offset
  : OFFSET number number number { ROOT_BUILT->setOffset($2, $3, $4); }
  ;

channels
  : CHANNELS INTEGER channel_names { ROOT_BUILT->commitChannels(); }
  ;

channel_names
  : IDENT { ROOT_BUILT->addChannel($1); }
  | channel_names IDENT { ROOT_BUILT->addChannel($2); }
  ;

joint
  : JOINT IDENT { ROOT_BUILT->beginJoint($2); } '{' items '}' { ROOT_BUILT->endJoint(); }
  ;

end_site
  : END IDENT { ROOT_BUILT->beginJoint($2); } '{' items '}' { ROOT_BUILT->endJoint(); }
  ;

motion_body
  : headers rows
  | error { motionReport(load, BVH_MOTION_REPORT); }
  ;

headers
  : header
  | headers header
  ;

header
  : FRAMES ':' number '\n'
  | FRAME TIME ':' number '\n'
  | error { motionReport(load, BVH_FRAMES_REPORT); }
  ;

rows
  : values '\n' { ROOT_BUILT->endRow(); Kvat::Bvh::planRows(*load); ROWS_FOLLOW(); }
  | rows values '\n' { ROOT_BUILT->endRow(); ROWS_FOLLOW(); }
  ;

values
  : number { ROOT_BUILT->addSample($1); }
  | values number { ROOT_BUILT->addSample($2); }
  ;

number
  : INTEGER { $$ = static_cast<float>($1); }
  | REAL
  ;

%%

void bvherror(yyscan_t scanner, Kvat::Bvh::BvhLoad* load, const char* message) {
  load->diagnostics.errorAt(message, Kvat::Bvh::errorPlace(scanner, *load));
  Kvat::Bvh::reportError(*load, message);
}
