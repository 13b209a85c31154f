/* The position of createNode in the document interface's function table,
 * read from the C declaration of the interface. */
#define CINTERFACE
#include <windows.h>
#include <msxml2.h>
#include <stddef.h>

size_t CreateNodeSlot(void)
{
    return offsetof(IXMLDOMDocument2Vtbl, createNode) / sizeof(void*);
}
