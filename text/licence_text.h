// The three blocks of the licence agreement, joined in order in the licence dialog.
// Each ends where a paragraph ends; line breaks are CR LF. Together they read as one
// text: the evaluation licence of Lumivora.
#pragma once

#define LMVR_LICENCE_BLOCK_1 \
  "LUMIVORA EVALUATION LICENCE\r\n" \
  "\r\n" \
  "Please read this licence before you install Lumivora. It is a plain agreement between " \
  "you and the makers of Lumivora, and it is written to be understood without a lawyer. " \
  "By pressing the 'I Agree' button you accept it. If you do not accept it, press 'Exit " \
  "Installation' and nothing more will be copied to your computer.\r\n" \
  "\r\n" \
  "1. What this licence covers\r\n" \
  "\r\n" \
  "This licence covers the Lumivora image viewer, its installer, its help and example " \
  "files, and any updates we give you for this version. Together we call them \"the " \
  "software\". The pictures you open with Lumivora are yours; this licence says nothing " \
  "about them.\r\n" \
  "\r\n" \
  "If you install Lumivora for a school, a club or a company, you accept this licence on " \
  "its behalf, and confirm that you may do so. Everyone who uses the software there must " \
  "keep to it.\r\n" \
  "\r\n" \
  "2. Trying Lumivora\r\n" \
  "\r\n" \
  "You may use the software free of charge for thirty days from the day you first " \
  "install it, so that you can find out whether it suits your work. During those thirty " \
  "days every feature works, nothing is hidden, nothing is switched off and nothing is " \
  "stamped on your pictures. The evaluation copy may remind you now and then how many " \
  "days are left. Lumivora does not send anything about you or your pictures anywhere.\r\n" \
  "\r\n" \
  "3. What you may do\r\n" \
  "\r\n" \
  "During the evaluation you may install the software on as many computers as you " \
  "personally use, at home or at work. You may make copies for backup, and you may keep " \
  "the installer on a shared drive of your own network so that those computers can reach " \
  "it. You may give unchanged copies of the complete installer to other people so that " \
  "they can evaluate Lumivora themselves, as long as you charge nothing for it beyond " \
  "the cost of the disk and each copy carries this licence.\r\n" \
  "\r\n"

#define LMVR_LICENCE_BLOCK_2 \
  "4. What you may not do\r\n" \
  "\r\n" \
  "You may not sell the software, rent it out or lend it for payment, nor include it in " \
  "a package or product of your own. You may not change it, take it apart, or try to " \
  "work out its source code, except where the law of your country allows this whatever a " \
  "licence says. You may not remove or alter the notices that say who made it. You may " \
  "not hand out a registration number, or a copy that has been altered to behave as if " \
  "it were registered.\r\n" \
  "\r\n" \
  "5. After thirty days\r\n" \
  "\r\n" \
  "When the thirty days are over, you must either register Lumivora or stop using it and " \
  "remove it from your computers. Registering is easy and is explained in the file " \
  "order.txt that comes with Lumivora. A registered copy may be used without a time " \
  "limit by one person on any computer that person uses. If several people need " \
  "Lumivora, each of them needs a registered copy of their own, or you may ask us about " \
  "a licence for a site.\r\n" \
  "\r\n" \
  "6. Who owns the software\r\n" \
  "\r\n" \
  "The makers of Lumivora keep the copyright and every other right in the software. You " \
  "receive permission to use it on the terms of this licence, not the software itself. " \
  "Any right that this licence does not give you in so many words stays with us.\r\n" \
  "\r\n" \
  "7. No warranty\r\n" \
  "\r\n" \
  "We have taken care to make Lumivora reliable, but we cannot promise that it is free " \
  "of faults or that it will suit your purpose. The software is provided \"as is\", " \
  "without a warranty of any kind, whether stated or implied, including any warranty " \
  "that it is fit for a particular purpose. You use it at your own risk. Keep backup " \
  "copies of pictures that matter to you, and try Lumivora on copies first when you " \
  "change files with it.\r\n" \
  "\r\n"

#define LMVR_LICENCE_BLOCK_3 \
  "8. Limits on our liability\r\n" \
  "\r\n" \
  "As far as the law of your country allows, the makers of Lumivora are not liable for " \
  "any loss or damage that comes from using the software or from being unable to use it, " \
  "such as lost pictures, lost data, lost time or lost profit, even if we were told that " \
  "such a loss could happen. Where the law does not allow us to exclude our liability, " \
  "it is limited to the amount you paid for the software.\r\n" \
  "\r\n" \
  "9. When this licence ends\r\n" \
  "\r\n" \
  "This licence ends by itself if you do not keep to it. It also ends when the " \
  "evaluation period is over and you have not registered. When it ends, you must stop " \
  "using the software and remove every copy you made. You may end it yourself at any " \
  "time by removing Lumivora; the uninstall entry in your list of installed programs " \
  "does this for you.\r\n" \
  "\r\n" \
  "10. Everything else\r\n" \
  "\r\n" \
  "This licence is the whole agreement between you and us about the software. If a court " \
  "finds that one part of it cannot be enforced, the rest still applies. If we do not " \
  "insist on a term at one time, we may still insist on it later. If you have a question " \
  "about this licence, the file readme.txt tells you how to write to us.\r\n" \
  "\r\n" \
  "We hope you enjoy looking at your own pictures with Lumivora. Thank you for trying it."
