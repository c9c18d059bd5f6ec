// textfile.h -- the files players and modders write (settings, levels, models) read whole in one
// go, and the white-space separated words of a text walked with their places. No state.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What reading a whole file found. A file that opens but cannot be read to its end (a directory,
// an I/O error) counts as opened, with readError set and text holding what came before the error.
struct TextFile {
    bool opened = false;
    bool readError = false;
    int reason = 0;   // errno of the failed open or read; 0 when neither failed or the system gave none
    std::string text; // every byte as the file holds it, NUL bytes included
};

// Reads the file at path whole, in binary mode. Says nothing: each reader words its own messages.
TextFile textfile_read(const char *path);

// The white space between words: space, tab, newline, carriage return, vertical tab, form feed.
bool textfile_isSpace(char c);

// Where a word starts: line and column from 1, columns in bytes; both stop growing at INT_MAX.
struct TextPlace {
    int line = 1;
    int column = 1;
};

struct TextWord {
    std::string_view text; // empty at the end of the text
    TextPlace place;       // at the end of the text: just after its last byte
};

// A walk through the words of a text, first to last; the text must outlive the walk.
struct TextWords {
    std::string_view text;
    size_t at = 0;        // the first byte not yet walked
    size_t lineStart = 0; // where the line holding text[at] starts
    int line = 1;
};

// The next word of the walk, or an empty word at the end (again at every later call).
TextWord textfile_nextWord(TextWords &words);
