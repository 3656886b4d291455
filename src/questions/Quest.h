#pragma once
// The question bank: questions, the question list, the pseudo-random generator of
// the shuffles, compiled question files and the question compiler.
#include "Streams.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct TMessage;

// One answer option. Right: -1 right, 0 wrong; any non-zero value counts as right.
struct TAnswer {
    std::string Text;
    int32_t Right = 0;
};

// Byte-at-a-time reading of a question source through a buffer. The parser needs
// only this: one byte, a step back of one byte, and position against size.
class TSourceReader {
public:
    explicit TSourceReader(TStream& stream);
    // The next byte, or false at the end of the data.
    bool ReadByte(unsigned char& c) {
        if (pos_ < len_) {
            c = buf_[pos_++];
            return true;
        }
        return Refill(c);
    }
    // Undoes the last successful ReadByte.
    void StepBack() {
        if (pos_ > 0) --pos_;
    }
    int64_t Position() const { return base_ + int64_t(pos_); }
    int64_t Size() const { return size_; }

private:
    bool Refill(unsigned char& c);
    TStream& stream_;
    std::unique_ptr<unsigned char[]> buf_;
    size_t pos_ = 0, len_ = 0;
    int64_t base_ = 0, size_ = 0;
};

class TQuestion {
public:
    std::string Errors;  // compiler messages, each preceded by CR LF
    std::string Text;    // cp1251 bytes, as parsed or read (not trimmed)
    std::vector<TAnswer> Answers;

    TQuestion() = default;
    virtual ~TQuestion();
    // Clears the question and parses the next one from a question source.
    virtual void ParseSource(TSourceReader& Source, int32_t& LineNo);
    // Reads one compiled record; raises EReadError when the data ends inside it.
    virtual void LoadFromStream(TStream& Stream);
    // Text not empty and at least two options.
    virtual bool IsValid() const;
    // Reorders the options so that none stays in its place.
    virtual void ShuffleAnswers();
    // Writes one compiled record.
    void SaveToStream(TStream& Stream) const;
};

class TQuestionList {
public:
    std::function<void(TQuestion&)> OnError;  // called for each parsed question with faults
    int32_t LineNo = 0;

    TQuestionList() = default;
    virtual ~TQuestionList();
    TQuestionList(const TQuestionList&) = delete;
    TQuestionList& operator=(const TQuestionList&) = delete;

    // The question at Index, or nullptr outside 0..QuestionCount()-1.
    TQuestion* GetQuestion(int32_t Index) const;
    int32_t QuestionCount() const { return int32_t(Items.size()); }

    // Reorders the questions so that none stays in its place.
    virtual void Shuffle();
    // Appends the valid questions of a whole question source.
    virtual void LoadFromSource(TStream& Stream);
    // Appends records until a record is not valid; the end of the data raises
    // EReadError (the normal end of a compiled file), damaged data its error. The
    // questions read before stay.
    virtual void LoadFromStream(TStream& Stream);
    void SaveToStream(TStream& Stream) const;

    // Takes ownership of a question (for callers building a list by hand).
    void Add(std::unique_ptr<TQuestion> question) { Items.push_back(std::move(question)); }

private:
    std::vector<std::unique_ptr<TQuestion>> Items;
};

// The process-wide generator of the shuffles (user-interface thread only).
uint32_t RandomBelow(uint32_t n);  // uniform over 0..n-1; n of 0 gives 0
void SeedRandomFromClock();        // from the time of day in milliseconds
void SeedRandom(uint64_t seed);

// Opens a compiled question file (cp1251 path), decompresses it and appends its
// questions to the list. Every reading ends with an error, EReadError at the normal
// end of the data; the questions read before stay.
void LoadCompiledFile(TQuestionList& list, const std::string& path);

// ---- the compiler's message reader

// The language file for the compiler's messages, or empty when there is none.
std::string FindMessageFile();
// Chooses the message file once; called at program start.
void OpenMessageReader();
void CloseMessageReader();
const std::string& MessageFileName();
// The message's text from section "-Messages-" of the message file, read anew at
// each call, or its built-in text.
std::string CompilerMessage(const TMessage& message);

// ---- the compiler

// The compile log: a text file rewritten at creation. Failures raise the
// input/output error.
class TLogFile {
public:
    explicit TLogFile(const std::string& fileName);
    ~TLogFile();
    TLogFile(const TLogFile&) = delete;
    TLogFile& operator=(const TLogFile&) = delete;
    void Write(const std::string& bytes);
    void Flush();
    void Close();

private:
    std::FILE* file_ = nullptr;
};

// Writes the text in the OEM code page followed by CR LF, and flushes the log.
void WriteLogLine(TLogFile& Log, const std::string& Text);

// The compiled file of a question source: the extension replaced by ".qsz" (appended
// when the name has none); an existing file of that name in another letter case is
// the one used.
std::string CompiledFileName(const std::string& SourceFile);

// Compiles a question source into its compiled file and writes the compile log.
// The constructor does the whole job; file failures raise after everything opened
// has been closed.
class TCompiler {
public:
    TCompiler(const std::string& SourceFile, const std::string& LogFile, int Level);
    ~TCompiler();

    std::unique_ptr<TFileStream> Source;
    std::unique_ptr<TFileStream> Output;
    std::unique_ptr<TCompressionStream> Compressor;
    std::unique_ptr<TQuestionList> Questions;
    uint32_t Ticks = 0;
    std::unique_ptr<TLogFile> Log;
    int32_t FaultyQuestions = 0;  // questions reported in the log

    void WriteQuestionErrors(TQuestion& Question);
};
