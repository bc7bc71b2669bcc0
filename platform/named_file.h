#pragma once
// Opening the files the program reads and writes by name, so that a name never hangs it (a
// FIFO, a device) and never makes it write somewhere the operator did not mean. Files are
// created with the user's umask honoured (0666 less the umask, like any other program); a file
// that is rewritten keeps its own mode.

#include <cstddef>
#include <string>

namespace tarvisk {

enum class FileCreation {
    // A name the operator chose or confirmed: an existing regular file is emptied and reused.
    Replace,
    // A name the program chose (the numbered products): only a name nothing has yet, and
    // never through a symbolic link planted at it.
    New,
};

// A descriptor open for writing, or -1 with *error saying why (the path and the reason).
// Only regular files are written: a FIFO, a device or a folder at the name is refused
// without waiting on it.
int OpenFileForWriting(const std::string& path, FileCreation how, std::string* error);

// A descriptor open for reading, or -1 with *error saying why. What is not a regular file is
// refused before anything could block on it.
int OpenRegularFileForReading(const std::string& path, std::string* error);

// A new file in the folder of path, named after it, for writing whole and renaming over it:
// mode 0666 less the umask, never through a link. -1 with errno when none can be created.
int CreateTemporaryBeside(const std::string& path, std::string* temporaryPath);

// The whole of a regular file of at most maxBytes into *text; false with *error saying why
// (not there, not a regular file, larger than maxBytes, a read error).
bool ReadRegularFile(const std::string& path, size_t maxBytes, std::string* text,
                     std::string* error);

// Writes every byte and closes the descriptor; false when any of it did not reach the file.
bool WriteAllAndClose(int fd, const void* data, size_t size);

// Reads until size bytes or the end of the file; the count, or -1 on a read error.
long ReadUpTo(int fd, void* data, size_t size);

// "a FIFO", "a character device", "a folder"... for a mode that is not a regular file's.
const char* NonRegularFileKind(unsigned mode);

}  // namespace tarvisk
