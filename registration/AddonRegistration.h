#pragma once
// Entering the program into the simulator's launch list and SimConnect configuration files, and
// taking it out again. Both run once on the main thread before the application object exists;
// every failure is silent.

// Writes "SimConnect.ini" and "SimConnect.xml" when they are absent and enters the program into
// "exe.xml". True when "exe.xml" holds the program's entry afterwards.
bool InstallAddon();

// Removes the program's entry from "exe.xml". True when "exe.xml" was rewritten.
bool UninstallAddon();
