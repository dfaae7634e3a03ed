static const char* const kOpen = "/*";
/**/#include "comm/Link.h"
/* a comment that ends
   on the line of an include */ #include "workspace/Main.h"
