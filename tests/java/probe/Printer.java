package probe;

// Writes its first argument to both standard streams.
public class Printer {
    public static void main(String[] args) {
        System.out.println("out " + args[0]);
        System.err.println("err " + args[0]);
    }
}
