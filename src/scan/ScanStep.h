#pragma once

#include "util/StepRunner.h"

namespace orvandel {

// The steps of a folder scan, as its failures name them. The front ends give each its procedure
// and line number (app/StepTable.cpp); the scan knows them only by name.
enum class ScanStep
{
    // Collecting a tree's folders, level by level (GetSubDirectories2016).
    LookAtFolder, // is the entry a folder, and one not taken up before?
    PathTooLong, // is its path beyond the system's limit?
    YieldAtFolder, // the surroundings handle what is pending
    LeftOutFolder, // is it a folder the scan leaves out (protected, or virtual)?
    ListFolder, // its subfolders (and files) read
    YieldAtSubfolder,
    NameTooLong, // is a subfolder's name beyond the system's limit?
    InvalidName, // does it hold a character a followed name must not?
    KeepSubfolder, // the subfolder kept for the next level
    StillFolder, // is a found subfolder still a folder?
    YieldBeforeKeeping,
    KeepFound, // does it pass the test that keeps it?
    AddFound, // added to the list

    // Adding a tree's matching files (AddFolderTreeFiles), under its caller's procedure.
    StartList, // the folder list begun with the chosen folder
    CollectTree, // its tree collected
    EntryFolder, // an entry's folder without its trailing separator
    ListFiles, // the names of its matching files
    AddFile, // a file appended to the list
};

using ScanFailure = StepFailureOf<ScanStep>;
using ScanSteps = StepRunner<ScanStep>;

} // namespace orvandel
