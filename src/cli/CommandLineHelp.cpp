#include "CommandLineHelp.h"

namespace orvandel {

namespace {

    constexpr const char* kUsage = R"(Usage: orvandel extract -o DIR [--json] [--pattern GLOB]... PATH...
       orvandel [--help | --version]
       orvandel [--thorough] [--fetch-local] [PATH...]
                                (opens the window, PATHs listed as if dropped)

Takes the photo out of every vCard file given and writes it into DIR as one
image per card file, named after the card file (card.vcf gives card.jpg).

A PATH that is a file is taken as given, whatever its name. A PATH that is a
folder stands for the files of its whole tree whose names match a pattern:
the folder's own files first, then those of its subfolders, level by level,
each folder's files in alphabetical order (case ignored). Names starting with
"." or "~" are left out; links are followed, each folder is entered once.

Options:
  -o, --output DIR     the folder the images are written to; it must exist
      --pattern GLOB   take a folder's files whose names match GLOB ("*" any
                       run of characters, "?" one, case ignored); repeat it
                       for more patterns (default: *.vcf and *.vcard)
      --json           one JSON object per input and line instead of text
      --summary        end with the run's counts in one line on stderr (the
                       default when stderr is a terminal)
  -h, --help           show this help and exit
      --version        show the version and exit

Each input gives one line on stdout: its status (written, no-photo or error),
its path, and the written file or the error's description, separated by tabs.
A folder that is not entered (its path or name breaks a rule, or it cannot be
read) gives "skipped", its path and the reason. With --json an input that
failed has the keys "error", "line" (the input line of its photo's header,
when the photo was found) and "step" (the failed step's number, as the
window's report shows it).

Each failure is also told in one line on stderr: "orvandel: PATH: DESCRIPTION",
with "line L: " (in thorough mode "card N, line L: ") before the description
when it concerns a photo. A run ends with one summary line on stderr, as
"6 images written, 1 file without a photo, 2 failed", when stderr is a
terminal or --summary is given; stdout never has it.

In these lines and in everything on stderr, a backslash is written as "\\",
a tab, line feed or carriage return as "\t", "\n" or "\r", and every other
control character and every byte that is not UTF-8 as "\xHH": each input
stays on one line, and its exact path can be read back. With --json, a byte
that is not UTF-8 is written as \udc80 to \udcff, as Python's json module
reads it back with "surrogateescape".

Exit status: 0 when every input went well; 1 when any failed, a folder was
skipped, or stdout could not be written; 2 when nothing could be done (no
files, no such output folder, or wrong arguments); 128 + N after signal N.
SIGINT, SIGTERM and SIGHUP stop the run at its next safe point: the images
already written stay, and no partial image is left behind.
)";

    constexpr const char* kThoroughUsage = R"usage(
Thorough extraction:
       orvandel extract --thorough [--logos] [--name TEMPLATE] [--unique]
                        [--fetch [--fetch-local] [--fetch-timeout SECONDS]]
                        -o DIR [--json] [--pattern GLOB]... PATH...

Reads every card of every file and writes every photo it carries: PHOTO and
X-MS-CARDPICTURE (and LOGO with --logos), as inline Base64 or data: addresses,
in UTF-8 or UTF-16 text, vCard 2.1 to 4.0. Files are read as streams, so any
size will do. Each photo's extension comes from its bytes (JPEG, PNG, GIF, BMP,
TIFF, WebP, HEIC, AVIF), else from its declared type, else ".bin".

A photo that is only an address is listed with its address, not fetched
unless --fetch is given: a value is an address when VALUE=URI or VALUE=URL
says so (a web address, a file: address, a local path), or when it starts with
a scheme (http:, file:, cid:, ...), its ":" escaped or not, and no Base64
encoding is declared. Escapes of vCard text in an address (\, \; \: \\) are
undone. Base64 that holds a ":" is damaged: that photo cannot be decoded.
Lines outside a card are no card: the first
BEGIN:VCARD is card 1.

      --thorough        read every photo of every card (the options below
                        need it)
      --logos           take LOGO properties as well
      --name TEMPLATE   name the images by TEMPLATE, made of text and {file}
                        (the input's name without extension), {fn} (the
                        card's full name), {n} (the card's number in its file)
                        and {uid}; "{{" and "}}" stand for braces. The default
                        is "{fn}"; a card without FN gives "{file}-{n}" for
                        {fn}. A name already written in the run gets " (2)",
                        " (3)", ...
      --unique          skip a photo whose bytes were already written in this
                        run (compared by SHA-256)
      --fetch           fetch the photos behind http and https addresses and
                        write them as any other (implies --thorough); other
                        addresses (file:, ftp:, cid:, local paths) are never
                        read. Up to 8 at once, 4 to one host; redirects (5 at
                        most) only to http and https; certificates verified;
                        no cookies, credentials or proxy. A body over 20 MB,
                        one that is no image, an HTTP error or a transfer
                        that takes too long is a failed photo. Fetching tells
                        each photo's server your address.
      --fetch-local     fetch addresses of this machine and the local network
                        too (loopback, private, link-local); refused without
      --fetch-timeout SECONDS
                        end a transfer after SECONDS (default 60; connecting
                        alone 10 at most)

Each photo gives one line on stdout, its fields separated by tabs: its status
(written, duplicate, link or error), the input, the card's number, the card's
FN, then the written file (for a duplicate, the file written before with the
same bytes), the address or the error's description; a written photo adds its
type (with ", declared TYPE" when the card declared another). An input without
photos gives "no-photo" and its path; an input that cannot be read gives
"error", its path, two empty fields and the description; a folder that is not
entered gives "skipped", its path, two empty fields and the reason.

With --json each such line is a JSON object with the keys "input", "status",
"card", "fn", "line" (the input line where the photo's property starts),
"output", "url" (the address, of a fetched photo too), "type" (jpeg, png, gif,
bmp, tiff, webp, heic, heif, avif or unknown), "declared" (the type the card
declares), "type_mismatch" (true when the bytes show another type than the
declared one), "repaired" (true when its Base64 had to be repaired), "sha256"
(with --unique) and "error", each where it applies; "line" is always a line of
the input. The exit status is as above: 1 when any photo or input failed (a
link or a duplicate is no failure).
)usage";

} // namespace

std::string CommandLineHelp()
{
    return std::string(kUsage) + kThoroughUsage;
}

} // namespace orvandel
