#pragma once
// A MIDI file opened for reading or writing whose bytes are reached through one memory buffer:
// the whole file, or a movable window of it. The reader and the writer derive from it and never
// touch the file themselves; they ask for n bytes at an offset and get a pointer into the buffer.
//
// Offsets and sizes are bytes, held in 64 bits so that no sum of an offset and a length read from
// an untrusted file can wrap. Single-threaded: one object belongs to one thread.

#include <cstdint>
#include <cstdio>

namespace midifile {

class MidiBuffer {
  public:
    // The constructor's mode argument.
    enum BufferMode : int { WindowRead = 0, WholeFileRead = 1, Write = 2 };
    static constexpr int64_t WindowSize = 1024;
    static constexpr int64_t InlineSize = 16;

    // With `file` given, that stream is used as it stands (read mode, never closed here) and the
    // path is only kept. Otherwise `path` is opened ("wb" for Write, "rb" for every other mode,
    // where anything but a regular file stays unopened, at once) and closed by the destructor.
    // The path is not copied: it must outlive the object.
    MidiBuffer(const char* path, std::FILE* file, int mode);
    virtual ~MidiBuffer();
    MidiBuffer(const MidiBuffer&) = delete;
    MidiBuffer& operator=(const MidiBuffer&) = delete;

    // Reports. The defaults print "error: %s\n" / "warning: %s\n" on stderr.
    virtual void OnError(const char* text);
    virtual void OnWarning(const char* text);

    // Reading: the file's length. Writing: one past the highest byte written.
    int64_t midilength() const { return size_; }
    int64_t BufferCapacity() const { return capacity_; }
    std::FILE* FileHandle() const { return file_; }
    const char* Path() const { return path_; }
    bool IsWriting() const { return writeMode_; }

    // How many bytes one block at this offset can hold (0 when none).
    int64_t AvailableAt(int64_t offset) const {
        if (offset < 0) return 0;
        if (writeMode_) return offset <= size_ ? capacity_ : 0;
        if (offset >= size_) return 0;
        return size_ - offset < capacity_ ? size_ - offset : capacity_;
    }

    // Pointer to n bytes at the file offset inside the buffer, or nullptr. Reading moves the
    // window when the block is not loaded; writing moves (and flushes) it when the block does not
    // continue the current one. A pointer stays valid until the next BlockAt.
    uint8_t* BlockAt(int64_t offset, int64_t n) {
        if (!writeMode_ && offset >= winStart_ && n >= 0 && offset + n <= winStart_ + winLen_ &&
            buffer_ != nullptr)
            return buffer_ + (offset - winStart_);
        return BlockAtSlow(offset, n);
    }

    // Writes the filled part of a write-mode window to the file. Returns false on failure, which
    // is reported as "write error (maybe disk full)"; the data then stays in the window.
    bool FlushWindow();

  protected:
    // Flushes, then closes the file when this object opened it. Returns false when the flush or
    // the close failed (reported through OnError). Safe to call more than once.
    bool CloseFile();
    // Reports through OnError and remembers that an error happened.
    void ReportError(const char* text);
    bool ErrorSeen() const { return errorSeen_; }
    void ClearErrorSeen() { errorSeen_ = false; }

  private:
    uint8_t* BlockAtSlow(int64_t offset, int64_t n);

    const char* path_ = nullptr;
    std::FILE* file_ = nullptr;
    uint8_t* buffer_ = nullptr;
    int64_t capacity_ = 0;
    int64_t winLen_ = 0;
    int64_t winStart_ = 0;
    bool writeMode_ = false;
    uint8_t inline_[InlineSize] = {};
    bool bufferOwned_ = true;
    bool fileOwned_ = false;
    int64_t size_ = 0;
    bool errorSeen_ = false;
};

}  // namespace midifile
