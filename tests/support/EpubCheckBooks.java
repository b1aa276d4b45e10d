// Validates EPUB books with EPUBCheck, all in one Java machine, so that the validator's
// start-up is paid once for many books. The books are named on the command line, or, with no
// arguments, read from standard input one path per line, each validated as soon as its line
// arrives (a test program keeps one such machine for all its checks). For each book it prints
// "BOOK <path>", the validator's messages as the epubcheck command prints them, "No errors or
// warnings detected." when there are none, and "END <path>", and flushes.
// Compiled at build time; from source:
//   java -cp /usr/bin/epubcheck EpubCheckBooks.java [BOOK...]
import com.adobe.epubcheck.api.EpubCheck;
import com.adobe.epubcheck.util.DefaultReportImpl;
import java.io.BufferedReader;
import java.io.File;
import java.io.IOException;
import java.io.InputStreamReader;
import java.nio.charset.StandardCharsets;

public class EpubCheckBooks {
  public static void main(String[] books) throws IOException {
    // One stream, in order: the validator writes some of its messages to standard error.
    System.setErr(System.out);
    for (String book : books) check(book);
    if (books.length > 0) return;
    BufferedReader lines =
        new BufferedReader(new InputStreamReader(System.in, StandardCharsets.UTF_8));
    for (String book = lines.readLine(); book != null; book = lines.readLine()) check(book);
  }

  private static void check(String book) {
    System.out.println("BOOK " + book);
    DefaultReportImpl report = new DefaultReportImpl(book);
    new EpubCheck(new File(book), report).doValidate();
    if (report.getFatalErrorCount() + report.getErrorCount() + report.getWarningCount() == 0) {
      System.out.println("No errors or warnings detected.");
    }
    System.out.println("END " + book);
    System.out.flush();
  }
}
