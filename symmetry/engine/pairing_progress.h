// How far a pairing search has got, for callers that show progress on large or slow inputs. The
// search calls Searched about every 4096 queries with the number of queries answered so far, never
// decreasing, and last with done == total. It must not throw; the search's results do not depend on
// whether a sink is given.
#pragma once

// Queries between two reports: often enough for a smooth percentage on a slow search, rarely enough
// to cost nothing on a fast one.
const int kPairingProgressEvery = 4096;

class PairingProgress {
 public:
  virtual ~PairingProgress() {}
  virtual void Searched(int done, int total) = 0;
};
