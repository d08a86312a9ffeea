#pragma once
// What the fifteen classic option values ask an extraction to do.
//
//  #  meaning                                         here
//  1  only files newer than existing ones or missing  honoured (modification times)
//  2  spaces in names become underscores              honoured (names on disk)
//  3  ask before overwriting                          honoured (replace prompt)
//  4  quiet level                                     accepted; nothing is ever printed
//  5  write the members to standard output            honoured
//  6  test the archive only                           honoured (reads and checks CRC-32)
//  7  list the contents instead of extracting         honoured (reads headers only)
//  8  freshen: replace existing files only            honoured
//  9  show the archive comment                        accepted and ignored: no display exists
// 10  recreate the archive's folders (0: junk them)   honoured
// 11  overwrite existing files without asking         honoured, wins over 3
// 12  convert line ends to CR LF                      accepted and ignored: members are
//                                                     written byte for byte so that their
//                                                     CRC-32 can be checked on the device
// 13  detailed archive information                    accepted; nothing is ever printed
// 14  match names case-insensitively                  honoured (include and exclude lists)
// 15  restore access rights (ACLs, privileges)        accepted and ignored: no such rights
//                                                     on the target file systems; files
//                                                     are 0644 and folders 0755 (umask)
//
// Neither 3 nor 11: existing files are kept. With 1 and 8 together, only existing
// files that are older than the archive's copy are replaced.

#include <QtGlobal>

#include <array>

namespace norvane::unzip {

enum class Mode { Extract, List, Test, ToStandardOutput };

struct Plan {
    Mode mode = Mode::Extract;
    bool newerOnly = false;
    bool freshen = false;
    bool spacesToUnderscores = false;
    bool askBeforeOverwrite = false;
    bool overwriteWithoutAsking = false;
    bool recreateFolders = false;
    bool caseInsensitive = false;
};

// Listing wins over testing, testing over writing to standard output.
Plan planFromOptions(const std::array<qint16, 15>& options);

} // namespace norvane::unzip
