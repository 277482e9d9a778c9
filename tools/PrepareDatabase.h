#pragma once
// Creates DataProg.mdb before the programs first run: the five tables, the single Access and
// Passwords records and, on request, demo categories and programs with pictures of their own.

#include "Schema.h"

#include <QString>

struct PrepareOptions {
    QString path;          // the database file to create
    bool force = false;    // overwrite an existing file (and its -wal/-shm)
    bool demo = false;     // add demo categories, programs, pictures and launch records
    QString programFolder; // where Orvanto and Settings are: the demo lists the Settings found there
    QString mainProgCode = AccessLevel::WithPassword;     // Access.MainProg
    QString settingsCode = AccessLevel::WithPassword;     // Access.Settings
    QString passwordCode = AccessLevel::WithPassword;     // Access.Password
    QString progrPassword = QStringLiteral("orvanto");    // Passwords.Progr
    QString settingsPassword = QStringLiteral("orvanto"); // Passwords.Settings
    QString lookPassword = QStringLiteral("orvanto");     // Passwords.Look
};

// The password boxes take at most this many characters.
constexpr int kMaxPasswordLength = 8;

// What prepareDatabase made, for the tool to tell the person who ran it.
struct PrepareReport {
    QString databasePath;
    QString demoFolder; // empty without demo data
    int categories = 0;
    int programs = 0;
    int launches = 0;
    bool iconsAsPng = false; // the ICO writer was not available
};

// Throws std::runtime_error (message for a person) on failure and then leaves no database file
// behind; refuses to overwrite an existing file unless options.force. Demo pictures are drawn with
// QPainter, so a QGuiApplication must exist when options.demo is set.
void prepareDatabase(const PrepareOptions& options);
// The same, telling what it made.
PrepareReport prepareDatabaseWithReport(const PrepareOptions& options);
