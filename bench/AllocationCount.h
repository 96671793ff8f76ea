#pragma once

// How many times operator new has been called in this program so far.
long allocationCount();
