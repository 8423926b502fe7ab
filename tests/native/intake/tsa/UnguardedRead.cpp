// Must not compile under clang -Wthread-safety -Werror: the check that the
// lock annotations are in force (a guarded member read without its lock, a
// function that needs the lock called without it).
#include "framework/ThreadSafety.h"

class Guarded {
 public:
  int Read() { return m_value; }
  int Call() { return Locked(); }

 private:
  int Locked() REQUIRES(m_lock) { return m_value; }
  RecursiveTimedMutex m_lock;
  int m_value GUARDED_BY(m_lock) = 0;
};

int main() {
  Guarded g;
  return g.Read() + g.Call();
}
