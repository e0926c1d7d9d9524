// The program against the least a program can do for the same job (minimal_extract), run side by
// side as child processes in one run: each round runs every command once, in turn, into an empty
// output folder, and the medians of the rounds are compared.
//
//   side_by_side_benchmark [--dir FOLDER] [--rounds N] [--job classic|thorough|all] [--syscalls]
//                          [--program PATH] [--compare PATH]
//
// The inputs are made in FOLDER (the temporary folder unless told; /dev/shm keeps the file system
// out of the figures) and removed at the end: 2,000 card files with an 8 KB photo each for the
// classic run, one export of 5,000 cards with a 20 KB photo each (143 MB) for the thorough run.
// Before the timings, every image the program writes is checked against the minimal program's:
// the same bytes, or the benchmark fails. With --syscalls each command is also run once under
// `strace -f -c`, and its system calls are counted for each image (start-up included). --program
// runs another build of orvandel instead of the one built beside this; --compare runs another
// build as well, in the same rounds (an older one: what the disk does varies from run to run, so
// two builds are compared within one run).

#include "support/Base64Encode.h"
#include "support/ExportGenerator.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <random>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace orvandel;

constexpr std::size_t kCardFiles = 2000;
constexpr std::size_t kCardPhotoBytes = 8 * 1024;
constexpr std::size_t kExportCards = 5000;
constexpr std::uint64_t kExportPhotoBytes = 20 * 1024;

std::string RandomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(generator());
    return bytes;
}

// A vCard 3.0 card as a phone writes it, its photo folded at 75 characters.
std::string MakeCard(const std::string& photo, unsigned seed)
{
    const std::string line = "PHOTO;ENCODING=B;TYPE=JPEG:" + test::ToBase64(photo);
    std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Person;Some;;;\r\nFN:Person " + std::to_string(seed)
        + "\r\nTEL;TYPE=CELL:+1 555 0100\r\nEMAIL:some@example.org\r\n";
    card += line.substr(0, 75) + "\r\n";
    for (std::size_t at = 75; at < line.size(); at += 74)
        card += " " + line.substr(at, 74) + "\r\n";
    return card + "END:VCARD\r\n";
}

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Command
{
    std::string name;
    std::vector<std::string> arguments; // the output folder is the word "OUT"
    fs::path output;
    std::vector<double> seconds = {};
    std::vector<double> cpuSeconds = {};
};

// Runs `command` once into its empty output folder, stdout to /dev/null and stderr to `log`,
// after the words of `prefix` (a program found in PATH) when there are any. Returns the
// wall-clock seconds; the child's CPU time goes to `cpu`.
double
RunOnce(const Command& command, const fs::path& log, double& cpu, const std::vector<std::string>& prefix = {})
{
    fs::remove_all(command.output);
    fs::create_directories(command.output);
    // What the commands before left to write back is written now: a command that flushes its own
    // files before it ends (orvandel does) would else pay for the others' too.
    ::sync();
    std::vector<std::string> words = prefix;
    for (const std::string& word : command.arguments)
        words.push_back(word == "OUT" ? command.output.string() : word);
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start " + words.front());
    int status = 0;
    rusage usage {};
    ::wait4(child, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(command.name + " failed; its messages are in " + log.string());
    cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return std::chrono::duration<double>(end - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Every image of `minimal` stands in `program` under the name that `nameOf` gives, with the same
// bytes, and the program wrote no other file.
void CheckSameImages(const Command& program,
                     const Command& minimal,
                     const std::function<std::string(const std::string&)>& nameOf)
{
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(minimal.output)) {
        const std::string name = entry.path().filename().string();
        const fs::path theirs = program.output / nameOf(name);
        if (!fs::exists(theirs) || Slurp(theirs) != Slurp(entry.path()))
            throw std::runtime_error(program.name + " wrote other bytes than the minimal program for " + name
                                     + " (" + theirs.string() + ")");
        ++count;
    }
    const auto programCount = static_cast<std::size_t>(
        std::distance(fs::directory_iterator(program.output), fs::directory_iterator()));
    if (count == 0 || programCount != count)
        throw std::runtime_error(program.name + " wrote " + std::to_string(programCount)
                                 + " images, the minimal program " + std::to_string(count));
    std::cout << "  " << program.name << ": the same " << count << " images as the minimal program\n";
}

// Runs each command once under strace and tells its system calls for each of `images`: in all,
// and of the calls that come at least once an image.
void CountSystemCalls(const std::vector<Command>& commands, std::size_t images, const fs::path& root)
{
    const fs::path counts = root / "strace.txt";
    for (const Command& command : commands) {
        double cpu = 0;
        RunOnce(command, root / "strace-stderr.txt", cpu, {"strace", "-f", "-c", "-o", counts.string()});
        std::ifstream in(counts);
        std::string line;
        std::string each;
        double total = 0;
        while (std::getline(in, line)) {
            // "% time  seconds  usecs/call  calls  errors  syscall", the errors column perhaps empty
            std::istringstream fields(line);
            std::vector<std::string> words {std::istream_iterator<std::string>(fields), {}};
            if (words.size() < 5 || !std::isdigit(static_cast<unsigned char>(words[0][0])))
                continue;
            const double calls = std::stod(words[3]);
            if (words.back() == "total") {
                total = calls;
            } else if (calls >= static_cast<double>(images)) {
                char text[64];
                std::snprintf(text, sizeof text, " %s %.1f", words.back().c_str(),
                              calls / static_cast<double>(images));
                each += text;
            }
        }
        std::printf("  %-34s %.1f system calls an image:%s\n", command.name.c_str(),
                    total / static_cast<double>(images), each.c_str());
    }
}

void Report(const std::vector<Command>& commands, std::size_t baseline)
{
    const double base = Median(commands[baseline].seconds);
    for (const Command& command : commands) {
        const double median = Median(command.seconds);
        std::printf("  %-34s median %8.3f s  (min %.3f, max %.3f, CPU %.3f s)  %.2fx the minimal program\n",
                    command.name.c_str(), median,
                    *std::min_element(command.seconds.begin(), command.seconds.end()),
                    *std::max_element(command.seconds.begin(), command.seconds.end()),
                    Median(command.cpuSeconds), median / base);
    }
}

struct Job
{
    int rounds;
    bool syscalls;
    fs::path root;
};

std::string LoadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

void RunJob(const std::string& title,
            std::vector<Command>& commands,
            std::size_t baseline,
            std::size_t images,
            const Job& job,
            const std::function<void()>& check)
{
    std::cout << title << " (load average " << LoadAverage() << ")\n";
    const fs::path log = job.root / "stderr.txt";
    const int rounds = job.rounds;
    double cpu = 0;
    for (Command& command : commands)
        RunOnce(command, log, cpu); // warms the caches, and leaves the images for the check
    check();
    if (job.syscalls)
        CountSystemCalls(commands, images, job.root);
    for (int round = 0; round < rounds; ++round) {
        for (Command& command : commands) {
            command.seconds.push_back(RunOnce(command, log, cpu));
            command.cpuSeconds.push_back(cpu);
        }
    }
    Report(commands, baseline);
    std::cout << "  (load average " << LoadAverage() << " at the end)\n";
}

} // namespace

int main(int argc, char** argv)
{
    fs::path base = fs::temp_directory_path();
    int rounds = 7;
    std::string job = "all";
    bool syscalls = false;
    std::string program = ORVANDEL_PROGRAM;
    std::string compared;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--syscalls") == 0)
            syscalls = true;
        else if (i + 1 < argc && std::strcmp(argv[i], "--dir") == 0)
            base = argv[++i];
        else if (i + 1 < argc && std::strcmp(argv[i], "--rounds") == 0)
            rounds = std::max(1, std::atoi(argv[++i]));
        else if (i + 1 < argc && std::strcmp(argv[i], "--job") == 0)
            job = argv[++i];
        else if (i + 1 < argc && std::strcmp(argv[i], "--program") == 0)
            program = argv[++i];
        else if (i + 1 < argc && std::strcmp(argv[i], "--compare") == 0)
            compared = argv[++i];
        else {
            std::cerr
                << "usage: side_by_side_benchmark [--dir FOLDER] [--rounds N] [--job classic|thorough|all] "
                   "[--syscalls] [--program PATH] [--compare PATH]\n";
            return 2;
        }
    }
    const std::string minimal = MINIMAL_PROGRAM;
    const fs::path root = base / ("orvandel-side-" + std::to_string(::getpid()));
    const Job settings {rounds, syscalls, root};
    int status = 0;
    try {
        fs::create_directories(root);
        std::cout << "Inputs and outputs in " << root.string() << ", " << rounds << " rounds, " << program
                  << "\n";
        if (job == "all" || job == "classic") {
            const fs::path cards = root / "cards";
            fs::create_directories(cards);
            for (std::size_t i = 0; i < kCardFiles; ++i) {
                const auto seed = static_cast<unsigned>(i + 1);
                std::ofstream(cards / ("card" + std::to_string(i + 1) + ".vcf"), std::ios::binary)
                    << MakeCard(RandomBytes(kCardPhotoBytes, seed), seed);
            }
            std::vector<Command> commands {
                {"orvandel extract", {program, "extract", "-o", "OUT", cards.string()}, root / "out-program"},
                {"minimal_extract classic",
                 {minimal, "classic", "OUT", cards.string()},
                 root / "out-minimal"},
            };
            if (!compared.empty())
                commands.push_back({"compared: extract",
                                    {compared, "extract", "-o", "OUT", cards.string()},
                                    root / "out-compared"});
            RunJob(
                "Classic: 2,000 card files with an 8 KB photo each", commands, 1, kCardFiles, settings,
                [&] { CheckSameImages(commands[0], commands[1], [](const std::string& n) { return n; }); });
            fs::remove_all(cards);
        }
        if (job == "all" || job == "thorough") {
            const fs::path exportFile = root / "export.vcf";
            const std::uint64_t size
                = test::WriteGeneratedExport(exportFile.string(), kExportCards, kExportPhotoBytes);
            std::vector<Command> commands {
                {"orvandel extract --thorough",
                 {program, "extract", "--thorough", "-o", "OUT", exportFile.string()},
                 root / "out-program"},
                {"orvandel extract --thorough --unique",
                 {program, "extract", "--thorough", "--unique", "-o", "OUT", exportFile.string()},
                 root / "out-unique"},
                {"minimal_extract thorough",
                 {minimal, "thorough", "OUT", exportFile.string()},
                 root / "out-minimal"},
            };
            if (!compared.empty()) {
                commands.push_back({"compared: --thorough",
                                    {compared, "extract", "--thorough", "-o", "OUT", exportFile.string()},
                                    root / "out-compared"});
                commands.push_back(
                    {"compared: --thorough --unique",
                     {compared, "extract", "--thorough", "--unique", "-o", "OUT", exportFile.string()},
                     root / "out-compared-unique"});
            }
            RunJob("Thorough: one export of " + std::to_string(kExportCards)
                       + " cards with a 20 KB photo each (" + std::to_string(size / 1000000) + " MB)",
                   commands, 2, kExportCards, settings, [&] {
                       // The minimal program numbers the photos; the program names them after the cards.
                       const auto nameOf = [](const std::string& n) { return "Person " + n; };
                       CheckSameImages(commands[0], commands[2], nameOf);
                       CheckSameImages(commands[1], commands[2], nameOf);
                   });
        }
    } catch (const std::exception& error) {
        std::cerr << "side_by_side_benchmark: " << error.what() << "\n";
        status = 1;
    }
    if (status == 0) {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    return status;
}
