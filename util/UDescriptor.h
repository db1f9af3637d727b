// Security descriptors read and made as bytes, in the self-relative layout
// that Windows gives (GetKernelObjectSecurity) and takes
// (SetKernelObjectSecurity): a header of revision, control word and the
// offsets of owner, group, SACL and DACL; SIDs; ACLs of ACEs. Every offset
// and length is checked against the size given, so that no descriptor can
// make them read outside it.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "util/UAnsiString.h"

// The SID S-1-`authority`-`subAuthorities`... as bytes; empty for more than
// the 15 parts that a SID can hold.
AnsiString SidBytes(uint8_t authority, const uint32_t* subAuthorities, size_t count);

// Whether the descriptor lets a principal other than the `trusted` SIDs
// change the object or what it holds: its owner is not trusted (an owner may
// always change the permissions), it has no DACL or a null one (everybody
// may do everything), or an access-allowed ACE that applies to the object
// grants a right that writes, deletes, or changes attributes, permissions or
// owner to a SID that is not trusted. "OWNER RIGHTS" (S-1-3-4) stands for the
// owner. A descriptor that cannot be read whole gives true: what is not
// known to be safe is not.
bool DescriptorLetsOthersChange(const uint8_t* descriptor, size_t size, const AnsiString* trusted,
                                size_t trustedCount);

// The descriptor that a `folder` or a file below an object with `parent` as
// its descriptor inherits: the parent's owner, and a DACL of the ACEs that
// the parent's DACL passes on to it, marked as inherited and with the
// inheritance flags that pass them on further. (The ACEs are copied as they
// are: CREATOR OWNER and generic rights, which Windows would translate, do
// not occur in the descriptors of the product's folders.) Empty when
// `parent` cannot be read whole or has no owner or no DACL.
AnsiString InheritedDescriptor(const uint8_t* parent, size_t size, bool folder);
