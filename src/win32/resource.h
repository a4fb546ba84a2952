/* Resource numbers shared by the resource scripts and the code that loads them (plain C: the
   resource compiler reads this too). */
#pragma once

/* The product icon, shown in the about box and wherever a dialog has a picture of the product. */
#define TELVORA_PRODUCT_ICON 100
