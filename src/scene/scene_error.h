#pragma once

#include <stdexcept>
#include <string>

// A scene error: travels to main, which prints it with the line number and ends with
// status 255. `message` is the reader's text, with its leading blank (may be empty).
struct SceneError : std::runtime_error {
    SceneError(int line, std::string message)
        : std::runtime_error(message), line(line), message(std::move(message)) {}
    int line;
    std::string message;
};

// A scene file (the main one or an included one) that cannot be opened.
struct SceneFileError : std::runtime_error {
    explicit SceneFileError(std::string path) : std::runtime_error(path), path(std::move(path)) {}
    std::string path;
};

// Prints the error exactly as the reader reports it:
// "\n Parser Error - line: %d", then " - %s\n" with the message, or "\n" when it is empty.
void printSceneError(const SceneError& error);
// Prints "\n Scene file: %s could no be opened\n".
void printSceneFileError(const SceneFileError& error);
