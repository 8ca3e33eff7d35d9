// A synthetic catalog that looks like a real one: keywords; virtual folders holding scanned
// folders (volume records of optical discs, USB sticks, hard disks and network shares, POSIX and
// Windows root paths) with trees of folders and files; located files; a plain item. Names are
// the kinds found on disks (camera pictures, documents, sources, music, hidden files, Cyrillic
// and CJK names, a Latin-1 name that is not UTF-8, siblings differing in letter case); sizes run
// from empty files to disc images beyond 4 GiB; some items carry comments, notes with line
// breaks, keywords and the stored extra fields.
//
// Used by `qm-bench synth`, the catalog file tests and the fuzz seeds. The same Seed gives the
// same catalog. UI thread (it builds catalog items).
#pragma once

#include <cstdint>

class TCatFileItem;

// Adds Entries tree items (folders and files of every kind, not counting the root) to Root,
// which should be empty, and enters each in Root's type table. Returns the number added. With
// Depth above 0 the first disc also holds a chain of Depth folders, each inside the one before
// and each with one file, taken from the same budget of entries (as much of it as the chain
// needs): a catalog that deep shows what depth costs wherever the tree is walked.
int64_t BuildSyntheticCatalog(TCatFileItem& Root, int64_t Entries, uint64_t Seed = 1,
                              int64_t Depth = 0);
