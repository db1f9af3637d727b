// The installation record: what the last install chose, where it went,
// which version and when, under the product's registry key. The next run
// reads it to recognise an update and to preset its pages.
#pragma once

// Writes the seven values in order and stops at the first write that fails;
// true when all were written.
bool WriteInstallRecord();
