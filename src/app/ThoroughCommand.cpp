#include "ThoroughCommand.h"

#include "ThoroughCliRunHost.h"
#include "extract/RunLoop.h"
#include "extract/thorough/ThoroughExtractor.h"

#include <ostream>

namespace orvandel {

namespace {

    constexpr const char* kThoroughUsage = R"usage(
Thorough extraction:
       orvandel extract --thorough [--logos] [--name TEMPLATE] [--unique]
                        -o DIR [--json] [--pattern GLOB]... PATH...

Reads every card of every file and writes every photo it carries: PHOTO and
X-MS-CARDPICTURE (and LOGO with --logos), as inline Base64 or data: addresses,
in UTF-8 or UTF-16 text, vCard 2.1 to 4.0. Files are read as streams, so any
size will do. Each photo's extension comes from its bytes (JPEG, PNG, GIF, BMP,
TIFF, WebP, HEIC, AVIF), else from its declared type, else ".bin". A photo that
is only a web address is listed, not fetched.

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
"output", "url", "type" (jpeg, png, gif, bmp, tiff, webp, heic, heif, avif or
unknown), "declared" (the type the card declares), "type_mismatch" (true when
the bytes show another type than the declared one), "repaired" (true when its
Base64 had to be repaired), "sha256" (with --unique) and "error", each where it
applies. The exit status is as above: 1 when any photo or input failed (a link
or a duplicate is no failure).
)usage";

    bool IsThoroughOnly(const std::string& arg)
    {
        return arg == "--logos" || arg == "--unique" || arg == "--name" || arg.rfind("--name=", 0) == 0;
    }

} // namespace

OptionMatch TakeThoroughOption(const std::vector<std::string>& args,
                               std::size_t& i,
                               ThoroughCommandOptions& options,
                               std::string& message)
{
    const std::string& arg = args[i];
    if (arg == "--thorough") {
        options.thorough = true;
        return OptionMatch::Taken;
    }
    if (!IsThoroughOnly(arg))
        return OptionMatch::NotMine;
    options.thoroughOnly.push_back(arg == "--name" || arg.rfind("--name=", 0) == 0 ? "--name" : arg);
    if (arg == "--logos") {
        options.logos = true;
    } else if (arg == "--unique") {
        options.unique = true;
    } else {
        std::string value;
        if (arg == "--name") {
            if (i + 1 >= args.size()) {
                message = "option '--name' needs a template";
                return OptionMatch::Wrong;
            }
            value = args[++i];
        } else {
            value = arg.substr(7);
        }
        try {
            NameTemplate::parse(value);
        } catch (const NameTemplateError& error) {
            message = "--name '" + value + "': " + error.what();
            return OptionMatch::Wrong;
        }
        options.nameTemplate = value;
    }
    return OptionMatch::Taken;
}

std::optional<std::string> CheckThoroughOptions(const ThoroughCommandOptions& options)
{
    if (options.thorough || options.thoroughOnly.empty())
        return std::nullopt;
    return "option '" + options.thoroughOnly.front() + "' needs --thorough";
}

const char* ThoroughUsage()
{
    return kThoroughUsage;
}

int RunThoroughExtract(const ThoroughCommandOptions& options,
                       std::vector<std::string> inputs,
                       std::string outputFolder,
                       bool json,
                       std::ostream& out,
                       std::ostream& err,
                       bool errIsTerminal)
{
    ThoroughOptions runOptions;
    runOptions.logos = options.logos;
    runOptions.unique = options.unique;
    if (options.nameTemplate)
        runOptions.name = NameTemplate::parse(*options.nameTemplate);

    ThoroughCliRunHost host(std::move(inputs), std::move(outputFolder), json, out, err, errIsTerminal);
    RunLoop run;
    ThoroughExtractor extractor(std::move(runOptions));
    const RunOutcome outcome = run.start(host, host, extractor);
    host.clearProgressLine();
    return ExitStatus(outcome, host.anyFailed());
}

} // namespace orvandel
