// The licence agreement in German, in the same three blocks as the English one and
// ending as they do. Written in UTF-8; the one file that includes it is compiled to
// Windows code page 1252 (text/CMakeLists.txt), so every umlaut is a single byte.
#pragma once

#define LMVR_LICENCE_DE_BLOCK_1 \
  "LUMIVORA TESTLIZENZ\r\n" \
  "\r\n" \
  "Bitte lesen Sie diese Lizenz, bevor Sie Lumivora installieren. Sie ist eine einfache " \
  "Vereinbarung zwischen Ihnen und den Herstellern von Lumivora und so geschrieben, dass " \
  "man sie ohne Anwalt versteht. Mit einem Klick auf „Ich stimme zu“ nehmen Sie sie an. " \
  "Wenn Sie sie nicht annehmen, klicken Sie auf „Installation beenden“; dann wird nichts " \
  "weiter auf Ihren Computer kopiert.\r\n" \
  "\r\n" \
  "1. Wofür diese Lizenz gilt\r\n" \
  "\r\n" \
  "Diese Lizenz gilt für den Bildbetrachter Lumivora, sein Installationsprogramm, seine " \
  "Hilfe- und Beispieldateien sowie alle Aktualisierungen, die wir Ihnen für diese " \
  "Version geben. Zusammen nennen wir sie „die Software“. Die Bilder, die Sie mit " \
  "Lumivora öffnen, gehören Ihnen; über sie sagt diese Lizenz nichts.\r\n" \
  "\r\n" \
  "Wenn Sie Lumivora für eine Schule, einen Verein oder eine Firma installieren, nehmen " \
  "Sie diese Lizenz in deren Namen an und bestätigen, dass Sie das dürfen. Jeder, der die " \
  "Software dort benutzt, muss sich an sie halten.\r\n" \
  "\r\n" \
  "2. Lumivora ausprobieren\r\n" \
  "\r\n" \
  "Sie dürfen die Software dreißig Tage lang ab dem Tag der ersten Installation " \
  "kostenlos benutzen, um herauszufinden, ob sie zu Ihrer Arbeit passt. In diesen " \
  "dreißig Tagen funktioniert jede Funktion, nichts ist versteckt, nichts ist " \
  "abgeschaltet und nichts wird auf Ihre Bilder gestempelt. Die Testversion erinnert Sie " \
  "vielleicht hin und wieder daran, wie viele Tage noch bleiben. Lumivora sendet nichts " \
  "über Sie oder Ihre Bilder irgendwohin.\r\n" \
  "\r\n" \
  "3. Was Sie tun dürfen\r\n" \
  "\r\n" \
  "Während der Testzeit dürfen Sie die Software auf so vielen Computern installieren, wie " \
  "Sie selbst benutzen, zu Hause oder bei der Arbeit. Sie dürfen Sicherungskopien anlegen " \
  "und das Installationsprogramm auf einem gemeinsamen Laufwerk Ihres eigenen Netzes " \
  "ablegen, damit diese Computer es erreichen. Sie dürfen unveränderte Kopien des " \
  "vollständigen Installationsprogramms an andere weitergeben, damit diese Lumivora " \
  "selbst testen können, solange Sie dafür nicht mehr als die Kosten des Datenträgers " \
  "verlangen und jeder Kopie diese Lizenz beiliegt.\r\n" \
  "\r\n"

#define LMVR_LICENCE_DE_BLOCK_2 \
  "4. Was Sie nicht tun dürfen\r\n" \
  "\r\n" \
  "Sie dürfen die Software nicht verkaufen, vermieten oder gegen Entgelt verleihen und " \
  "sie nicht in ein eigenes Paket oder Produkt aufnehmen. Sie dürfen sie nicht verändern, " \
  "zerlegen oder versuchen, ihren Quelltext zu ermitteln, außer wo das Recht Ihres Landes " \
  "dies erlaubt, was auch immer eine Lizenz sagt. Sie dürfen die Hinweise darauf, wer sie " \
  "hergestellt hat, weder entfernen noch ändern. Sie dürfen keine Registriernummer " \
  "weitergeben und keine Kopie, die so verändert wurde, dass sie sich wie eine " \
  "registrierte verhält.\r\n" \
  "\r\n" \
  "5. Nach dreißig Tagen\r\n" \
  "\r\n" \
  "Wenn die dreißig Tage vorbei sind, müssen Sie Lumivora entweder registrieren oder die " \
  "Benutzung beenden und es von Ihren Computern entfernen. Die Registrierung ist einfach " \
  "und wird in der Datei order.txt erklärt, die mit Lumivora geliefert wird. Eine " \
  "registrierte Kopie darf ohne zeitliche Grenze von einer Person auf jedem Computer " \
  "benutzt werden, den diese Person benutzt. Wenn mehrere Personen Lumivora brauchen, " \
  "braucht jede von ihnen eine eigene registrierte Kopie, oder Sie fragen uns nach einer " \
  "Lizenz für einen Standort.\r\n" \
  "\r\n" \
  "6. Wem die Software gehört\r\n" \
  "\r\n" \
  "Die Hersteller von Lumivora behalten das Urheberrecht und jedes andere Recht an der " \
  "Software. Sie erhalten die Erlaubnis, sie nach den Bedingungen dieser Lizenz zu " \
  "benutzen, nicht die Software selbst. Jedes Recht, das Ihnen diese Lizenz nicht " \
  "ausdrücklich gibt, bleibt bei uns.\r\n" \
  "\r\n" \
  "7. Keine Gewährleistung\r\n" \
  "\r\n" \
  "Wir haben uns bemüht, Lumivora zuverlässig zu machen, können aber nicht versprechen, " \
  "dass es frei von Fehlern ist oder für Ihren Zweck taugt. Die Software wird „wie sie " \
  "ist“ bereitgestellt, ohne Gewährleistung jeglicher Art, ob ausdrücklich oder " \
  "stillschweigend, einschließlich jeder Gewährleistung der Eignung für einen bestimmten " \
  "Zweck. Sie benutzen sie auf eigene Gefahr. Bewahren Sie Sicherungskopien von Bildern " \
  "auf, die Ihnen wichtig sind, und probieren Sie Lumivora zuerst an Kopien aus, wenn Sie " \
  "Dateien damit verändern.\r\n" \
  "\r\n"

#define LMVR_LICENCE_DE_BLOCK_3 \
  "8. Grenzen unserer Haftung\r\n" \
  "\r\n" \
  "Soweit das Recht Ihres Landes es erlaubt, haften die Hersteller von Lumivora nicht für " \
  "Verluste oder Schäden, die aus der Benutzung der Software oder daraus entstehen, dass " \
  "sie nicht benutzt werden kann, etwa verlorene Bilder, verlorene Daten, verlorene Zeit " \
  "oder entgangener Gewinn, selbst wenn man uns gesagt hat, dass ein solcher Verlust " \
  "eintreten könnte. Wo das Gesetz uns nicht erlaubt, unsere Haftung auszuschließen, ist " \
  "sie auf den Betrag begrenzt, den Sie für die Software bezahlt haben.\r\n" \
  "\r\n" \
  "9. Wann diese Lizenz endet\r\n" \
  "\r\n" \
  "Diese Lizenz endet von selbst, wenn Sie sich nicht an sie halten. Sie endet auch, wenn " \
  "die Testzeit vorbei ist und Sie nicht registriert haben. Wenn sie endet, müssen Sie die " \
  "Benutzung der Software beenden und jede Kopie entfernen, die Sie angelegt haben. Sie " \
  "können sie jederzeit selbst beenden, indem Sie Lumivora entfernen; der " \
  "Deinstallationseintrag in der Liste Ihrer installierten Programme erledigt das für " \
  "Sie.\r\n" \
  "\r\n" \
  "10. Alles Weitere\r\n" \
  "\r\n" \
  "Diese Lizenz ist die ganze Vereinbarung zwischen Ihnen und uns über die Software. Wenn " \
  "ein Gericht feststellt, dass ein Teil von ihr nicht durchsetzbar ist, gilt der Rest " \
  "weiter. Wenn wir auf einer Bedingung einmal nicht bestehen, können wir später dennoch " \
  "auf ihr bestehen. Wenn Sie eine Frage zu dieser Lizenz haben, steht in der Datei " \
  "readme.txt, wie Sie uns schreiben können.\r\n" \
  "\r\n" \
  "Wir wünschen Ihnen viel Freude beim Betrachten Ihrer eigenen Bilder mit Lumivora. " \
  "Danke, dass Sie es ausprobieren."
